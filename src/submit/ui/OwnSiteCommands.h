#pragma once

#include "common/Phrase.h"

#include <QObject>

#include <functional>
#include <string>
#include <vector>

class ActionList;
class ListRows;
class OwnSites;
class Settings;
class SiteTable;
class SubmitCommands;
class TFormAuthorEmail;
class TFormAutoSite;

// The author's own automatic sites and what goes with them: Add Site..., Edit Site... and
// Delete Site on the Auto Submit list (the last two only for a selected row of the author's
// own), Settings > Author E-mail... and Allow https sites, with their dialogs. A change of
// the sites is saved to data/autosites.dat at once, and undone when it cannot be saved; the
// list's rows follow it. The file is watched: sites that another program (the command line's
// import) wrote there are read in, or taken in by the next save.
//
// Lives on the GUI thread; everything passed in outlives it.
class OwnSiteCommands : public QObject {
    Q_OBJECT
public:
    struct Wiring {
        OwnSites& Own;
        SiteTable& Table; // the Auto Submit list's table: the given sites, then the author's
        ListRows& Sites;  // the Auto Submit list, row i for row i of Table
        SubmitCommands& Submission;
        const Settings& Stored;
        std::string OwnSitesPath;
        // Sets the captions anew from the language file before a dialog opens.
        std::function<void()> RefreshCaptions;
        // Puts a text into the status bar.
        std::function<void(const Phrase&)> Tell;
    };

    OwnSiteCommands(Wiring wiring, ActionList& actions);

    TFormAutoSite* FormAutoSite() const { return formAutoSite_; }
    TFormAuthorEmail* FormAuthorEmail() const { return formAuthorEmail_; }

    // At start: the address and the https choice from the settings (an address that could
    // not be one is not used).
    void ReadSettings();
    // At start: the author's sites after the given ones, and the list's rows for them. A file
    // that cannot be read leaves the given rows alone. Returns what to tell of the file: why
    // it could not be read, and its broken lines (told, not dropped).
    std::vector<std::string> ReadSites();
    // Edit Site... and Delete Site only for a row of the author's own.
    void UpdateSiteActions();
    // The file changed on disk: when someone else wrote it, its sites are read again (not
    // while a run reads the table; the next change takes them in then).
    void SitesFileChanged();

    void AAuthorEmailExecute();
    void AAllowHttpsExecute();
    void AAddSiteAutoExecute();
    void AEditSiteAutoExecute();
    void ADeleteSiteAutoExecute();

private:
    // Makes the change, saves and shows it; tells why when it cannot.
    void Change(const std::function<std::string(OwnSites&)>& change, const std::string& checkedTitle);

    Wiring w_;
    ActionList& actions_;
    TFormAutoSite* formAutoSite_ = nullptr;
    TFormAuthorEmail* formAuthorEmail_ = nullptr;
};
