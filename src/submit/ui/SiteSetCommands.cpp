#include "submit/ui/SiteSetCommands.h"

#include "catalogue/ListRows.h"
#include "catalogue/ui/ActionList.h"
#include "common/FileReplace.h"
#include "common/ui/LocalText.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/ShownText.h"
#include "submit/SiteSets.h"
#include "submit/ui/TFormSiteSet.h"

#include <QAction>
#include <QMenu>

SiteSetCommands::SiteSetCommands(Wiring wiring, ActionList& actions)
    : QObject(actions.Window()), w_(std::move(wiring)), actions_(actions)
{
    actions.Make("ASaveSiteSet", "Auto", "Save Checked Sites As...", [this] { ASaveSiteSetExecute(); });
    actions.Make("ADeleteSiteSet", "Auto", "Delete Site Set...", [this] { ADeleteSiteSetExecute(); });
    form_ = new TFormSiteSet(actions.Window());
}

std::vector<std::string> SiteSetCommands::Names() const
{
    std::vector<std::string> names;
    try {
        for (const SiteSets::Set& set : SiteSets::Load(w_.Path).Sets) names.push_back(set.Name);
    } catch (const FileError& e) {
        w_.Tell(ShownText::Error(e));
    }
    return names;
}

void SiteSetCommands::FillMenu(QMenu* menu)
{
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        menu->clear();
        menu->addAction(actions_("ASaveSiteSet"));
        menu->addAction(actions_("ADeleteSiteSet"));
        const std::vector<std::string> names = Names();
        actions_("ADeleteSiteSet")->setEnabled(!names.empty());
        if (!names.empty()) menu->addSeparator();
        for (const std::string& name : names) {
            // A name is the user's: "&" in it stays a character, not a mnemonic.
            QAction* entry = menu->addAction(LocalText::ToQ(name).replace(QLatin1Char('&'), QStringLiteral("&&")));
            connect(entry, &QAction::triggered, this, [this, name] { Apply(name); });
        }
    });
}

void SiteSetCommands::ASaveSiteSetExecute()
{
    SiteSets::Set set;
    for (int row = 0; row < w_.Sites.Count() && row < w_.Table.Count(); ++row)
        if (w_.Sites.Row(row).Checked) set.Sites.push_back(w_.Table.At(row).Title);
    if (set.Sites.empty()) {
        MessageBoxes::Show(Phrase("Check the sites of the set first."));
        return;
    }
    w_.RefreshCaptions();
    form_->Prepare(TFormSiteSet::Purpose::Save, Names());
    if (!form_->ShowModal()) return;
    set.Name = form_->Value();
    try {
        const std::string refusal = SiteSets::Save(w_.Path, set);
        if (!refusal.empty()) {
            MessageBoxes::Show(Phrase(refusal));
            return;
        }
    } catch (const FileError& e) {
        MessageBoxes::Show(ShownText::Error(e));
        return;
    }
    w_.Tell(Phrase("Site set \"%1\" saved: %2 sites.",
                   {Phrase::Text(set.Name), Phrase::Text(std::to_string(set.Sites.size()))}));
}

void SiteSetCommands::ADeleteSiteSetExecute()
{
    const std::vector<std::string> names = Names();
    if (names.empty()) return;
    w_.RefreshCaptions();
    form_->Prepare(TFormSiteSet::Purpose::Delete, names);
    if (!form_->ShowModal()) return;
    try {
        if (SiteSets::Delete(w_.Path, form_->Value()))
            w_.Tell(Phrase("Site set \"%1\" deleted.", {Phrase::Text(form_->Value())}));
    } catch (const FileError& e) {
        MessageBoxes::Show(ShownText::Error(e));
    }
}

bool SiteSetCommands::Apply(const std::string& name)
{
    SiteSets::File file;
    try {
        file = SiteSets::Load(w_.Path);
    } catch (const FileError& e) {
        w_.Tell(ShownText::Error(e));
        return false;
    }
    const SiteSets::Set* set = SiteSets::Find(file, name);
    if (!set) return false;
    const SiteSets::Rows rows = SiteSets::Resolve(*set, w_.Table);
    std::vector<bool> on(static_cast<size_t>(w_.Sites.Count()), false);
    for (int row : rows.Found)
        if (row < w_.Sites.Count()) on[static_cast<size_t>(row)] = true;
    for (int row = 0; row < w_.Sites.Count(); ++row)
        if (w_.Sites.Row(row).Checked != on[static_cast<size_t>(row)])
            w_.Sites.SetChecked(row, on[static_cast<size_t>(row)]);
    w_.Tell(rows.Missing.empty() ? Phrase("Site set \"%1\" applied: %2 sites checked.",
                                          {Phrase::Text(name), Phrase::Text(std::to_string(rows.Found.size()))})
                                 : SiteSets::MissingMessage(name, rows.Missing));
    return true;
}
