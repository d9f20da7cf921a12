#pragma once

#include "common/Phrase.h"

#include <QObject>

#include <functional>
#include <string>

class ActionList;
class ListRows;
class QMenu;
class SiteTable;
class TFormSiteSet;

// Submit > Site Sets: Save Checked Sites As... keeps the Auto Submit list's checked sites,
// built-in and own, under a name; Delete... deletes a set; below them, one entry per set
// applies it: its sites checked, every other site unchecked (a site it names that no longer
// exists is told in the status bar; the others are used). The sets live in
// data/sitesets.dat, shared with `quillpost-cli site-sets`: the menu reads the file each
// time it opens, and each change reads it, changes one set and writes it back.
//
// Lives on the GUI thread; everything passed in outlives it.
class SiteSetCommands : public QObject {
    Q_OBJECT
public:
    struct Wiring {
        ListRows& Sites;        // the Auto Submit list, row i for row i of Table
        const SiteTable& Table; // the given sites, then the author's
        std::string Path;       // data/sitesets.dat
        // Sets the captions anew from the language file before a dialog opens.
        std::function<void()> RefreshCaptions;
        // Puts a text into the status bar.
        std::function<void(const Phrase&)> Tell;
    };

    SiteSetCommands(Wiring wiring, ActionList& actions);

    // Fills `menu` (Submit > Site Sets) with the two commands and, each time it opens, the sets.
    void FillMenu(QMenu* menu);
    TFormSiteSet* FormSiteSet() const { return form_; }

    void ASaveSiteSetExecute();
    void ADeleteSiteSetExecute();
    // Checks the set's sites and unchecks the others; false when there is no such set.
    bool Apply(const std::string& name);

private:
    std::vector<std::string> Names() const;

    Wiring w_;
    ActionList& actions_;
    TFormSiteSet* form_ = nullptr;
};
