#pragma once

#include <string>

// Every file the program reads or writes, built from the program folder (never from the
// current folder): the catalogue files in data/, the settings file, the language files in
// language/ and the help texts in help/.
class ProgramFiles {
public:
    static constexpr const char* DataFolder = "data/";
    static constexpr const char* Categories = "categories.dat";
    static constexpr const char* Products = "products.dat";
    static constexpr const char* Sites = "sites.dat";
    static constexpr const char* SettingsSection = "Configuration";
    static constexpr const char* LanguageKey = "Language";
    static constexpr const char* DefaultLanguage = "English";

    // folder: the program folder (a trailing "/" is added when missing). programName: the
    // executable's name without folder; the settings file is that name + ".ini" in the
    // program folder.
    ProgramFiles(std::string folder, const std::string& programName);

    const std::string& Folder() const { return folder_; }
    std::string Data(const std::string& name) const;
    const std::string& Settings() const { return settings_; }
    std::string Language(const std::string& language) const;
    // The help text of `language`; empty when the language has none.
    std::string Help(const std::string& language) const;

private:
    std::string folder_;
    std::string settings_;
};
