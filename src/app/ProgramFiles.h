#pragma once

#include "common/FileLocations.h"

#include <string>

// Every file the program reads or writes, built from the program folder (never from the
// current folder): the language files in language/ and the help texts in help/ of the
// program folder; the catalogue files in data/, the reports and the settings file where
// FileLocations puts them (beside the executable for a portable program, in the user's own
// folders for a system install).
class ProgramFiles {
public:
    static constexpr const char* DataFolder = FileLocations::DataFolder;
    static constexpr const char* Categories = "categories.dat";
    static constexpr const char* Products = "products.dat";
    static constexpr const char* Sites = "sites.dat";

    // folder: the program folder (a trailing "/" is added when missing). programName: the
    // executable's name without folder; the settings file is that name + ".ini". A system
    // install's user folders are filled here on first start.
    ProgramFiles(std::string folder, const std::string& programName,
                 const FileLocations::Environment& env = FileLocations::Environment::Real());

    const std::string& Folder() const { return places_.ProgramFolder(); }
    // The folder whose data/ and reports/ are used, ending in "/".
    const std::string& FilesFolder() const { return places_.FilesFolder(); }
    bool Portable() const { return places_.Portable(); }
    std::string Data(const std::string& name) const;
    const std::string& Settings() const { return places_.Settings(); }
    std::string Language(const std::string& language) const;
    // The help text of `language`; empty when the language has none.
    std::string Help(const std::string& language) const;
    // What the first start could not copy into the user's folders; empty when all went well.
    const std::string& FillFailures() const { return fillFailures_; }

private:
    FileLocations places_;
    std::string fillFailures_;
};
