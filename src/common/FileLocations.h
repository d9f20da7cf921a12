#pragma once

#include <functional>
#include <string>

// Where the program keeps the files it writes. A portable program (its folder writable)
// keeps everything beside the executable: data/, reports/ and the settings file. A system
// install, whose folder the user may not write, keeps data/ and reports/ in the user's
// $XDG_DATA_HOME/quillpost (default ~/.local/share/quillpost) and the settings file in
// $XDG_CONFIG_HOME/quillpost (default ~/.config/quillpost); the first start fills them from
// the shipped files. The language and help files are always read from the program folder.
// The history of runs (data/history.sqlite) does not take part in the decision: a history
// that may not be written stays where it is and the runs are not recorded.
// Every part of the program that builds one of these paths asks this one decision.
class FileLocations {
public:
    static constexpr const char* DataFolder = "data/";
    static constexpr const char* ReportsFolder = "reports/";
    // The history of runs, in the data folder beside the catalogue.
    static constexpr const char* HistoryFile = "data/history.sqlite";

    // What the decision looks at; tests pass their own.
    struct Environment {
        std::string DataHome;   // $XDG_DATA_HOME; used only when absolute
        std::string ConfigHome; // $XDG_CONFIG_HOME; used only when absolute
        std::string Home;       // the user's home folder
        // Whether this process may write the file or folder (access(W_OK)).
        std::function<bool(const std::string&)> Writable;

        // The process's own: its environment, the password database's home when $HOME is
        // unset, and access(2).
        static Environment Real();
    };

    // programFolder: the executable's folder ("/" added when missing). settingsName: the
    // settings file's bare name.
    FileLocations(std::string programFolder, const std::string& settingsName,
                  const Environment& env = Environment::Real());

    // Everything stays beside the executable: the program folder, its data/ and reports/
    // (where they exist) and every file the program writes there may be written.
    bool Portable() const { return portable_; }
    // The executable's folder, ending in "/": language/ and help/ are read from here.
    const std::string& ProgramFolder() const { return program_; }
    // The folder whose data/ and reports/ the program uses, ending in "/".
    const std::string& FilesFolder() const { return files_; }
    const std::string& Settings() const { return settings_; }
    std::string History() const { return files_ + HistoryFile; }

    // For a system install: makes the user's folders and copies into them the shipped
    // data/*.dat files and the settings file that the user does not have yet; a file the
    // user has is never written over. Does nothing for a portable program. Returns what
    // could not be made or copied, one line each; empty when all went well.
    std::string FillUserFolders() const;

    // Removes what saves killed half-way left behind in data/, reports/ and the settings
    // file's folder: the program's own temporary files whose writer is gone
    // (FileReplace::RemoveLeftovers). Returns how many went. Called once at each start.
    int RemoveLeftovers() const;

private:
    std::string program_;
    std::string files_;
    std::string settings_;
    bool portable_ = true;
};
