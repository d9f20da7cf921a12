#include "submit/ui/OwnSiteCommands.h"

#include "catalogue/ListCommands.h"
#include "catalogue/ui/ActionList.h"
#include "catalogue/ui/FileWatch.h"
#include "common/FileReplace.h"
#include "common/Settings.h"
#include "common/ui/LocalText.h"
#include "common/ui/MessageBoxes.h"
#include "submit/OwnSiteRows.h"
#include "submit/OwnSites.h"
#include "submit/ui/SubmitCommands.h"
#include "submit/ui/TFormAuthorEmail.h"
#include "submit/ui/TFormAutoSite.h"

#include <QAction>

OwnSiteCommands::OwnSiteCommands(Wiring wiring, ActionList& actions)
    : QObject(actions.Window()), w_(std::move(wiring)), actions_(actions)
{
    actions.Make("AAuthorEmail", "Settings", "Author E-mail...", [this] { AAuthorEmailExecute(); });
    actions.Make("AAllowHttps", "Settings", "Allow https sites", [this] { AAllowHttpsExecute(); })->setCheckable(true);
    actions.Make("AAddSiteAuto", "Auto", "Add Site...", [this] { AAddSiteAutoExecute(); });
    actions.Make("AEditSiteAuto", "Auto", "Edit Site...", [this] { AEditSiteAutoExecute(); })->setEnabled(false);
    actions.Make("ADeleteSiteAuto", "Auto", "Delete Site", [this] { ADeleteSiteAutoExecute(); })->setEnabled(false);
    formAutoSite_ = new TFormAutoSite(actions.Window());
    formAuthorEmail_ = new TFormAuthorEmail(actions.Window());
    new FileWatch(
        w_.OwnSitesPath, [this] { SitesFileChanged(); }, this);
}

void OwnSiteCommands::ReadSettings()
{
    const std::string email = w_.Stored.AuthorEmail();
    if (OwnSites::CheckEmail(email).empty()) w_.Submission.SetAuthorEmail(email);
    const bool https = w_.Stored.AllowHttps();
    actions_("AAllowHttps")->setChecked(https);
    w_.Submission.SetAllowHttps(https);
}

std::vector<std::string> OwnSiteCommands::ReadSites()
{
    std::vector<std::string> partReads;
    try {
        w_.Own.Load(w_.OwnSitesPath);
    } catch (const FileError& e) {
        partReads.emplace_back(e.what());
    }
    const std::string skipped = w_.Own.SkippedMessage(w_.OwnSitesPath);
    if (!skipped.empty()) partReads.push_back(skipped);
    w_.Table = w_.Own.Combined();
    OwnSiteRows::Fill(w_.Sites, w_.Table);
    return partReads;
}

void OwnSiteCommands::SitesFileChanged()
{
    if (w_.Submission.Run().Running() || !w_.Own.ChangedOnDisk(w_.OwnSitesPath)) return;
    try {
        w_.Own.Load(w_.OwnSitesPath);
    } catch (const FileError& e) {
        w_.Tell(e.Words());
    }
    w_.Table = w_.Own.Combined();
    OwnSiteRows::Show(w_.Sites, w_.Own, {});
    UpdateSiteActions();
    w_.Tell(OwnSites::ReadAgainMessage(w_.OwnSitesPath));
}

void OwnSiteCommands::UpdateSiteActions()
{
    const bool own = OwnSiteRows::Selected(w_.Sites, w_.Own) >= 0;
    actions_("AEditSiteAuto")->setEnabled(own);
    actions_("ADeleteSiteAuto")->setEnabled(own);
}

void OwnSiteCommands::AAllowHttpsExecute()
{
    const bool on = actions_("AAllowHttps")->isChecked();
    w_.Stored.SetAllowHttps(on);
    w_.Submission.SetAllowHttps(on);
}

void OwnSiteCommands::AAuthorEmailExecute()
{
    w_.RefreshCaptions();
    formAuthorEmail_->SetValue(w_.Submission.AuthorEmail());
    if (!formAuthorEmail_->ShowModal()) return;
    const std::string email = formAuthorEmail_->Value();
    w_.Stored.SetAuthorEmail(email);
    w_.Submission.SetAuthorEmail(email);
}

void OwnSiteCommands::Change(const std::function<std::string(OwnSites&)>& change, const std::string& checkedTitle)
{
    if (w_.Submission.Run().Running()) return; // the run reads the table row by row
    int taken = 0;
    const std::string refusal = OwnSiteRows::Change(w_.Own, w_.OwnSitesPath, change, &taken);
    if (!refusal.empty()) {
        MessageBoxes::Show(Phrase(refusal));
        return;
    }
    w_.Table = w_.Own.Combined();
    OwnSiteRows::Show(w_.Sites, w_.Own, checkedTitle);
    UpdateSiteActions();
    if (taken > 0) w_.Tell(OwnSites::TakenMessage(w_.OwnSitesPath, taken));
}

void OwnSiteCommands::AAddSiteAutoExecute()
{
    w_.RefreshCaptions();
    formAutoSite_->SetNew();
    formAutoSite_->SetCheck([this](const SiteRecord& site) { return w_.Own.Check(site); });
    if (!formAutoSite_->ShowModal()) return;
    const SiteRecord site = formAutoSite_->Site();
    Change([&site](OwnSites& own) { return own.Add(site); }, site.Title);
}

void OwnSiteCommands::AEditSiteAutoExecute()
{
    const int index = OwnSiteRows::Selected(w_.Sites, w_.Own);
    if (index < 0) return;
    w_.RefreshCaptions();
    formAutoSite_->SetSite(w_.Own.Sites()[static_cast<size_t>(index)]);
    formAutoSite_->SetCheck([this, index](const SiteRecord& site) { return w_.Own.Check(site, index); });
    if (!formAutoSite_->ShowModal()) return;
    const SiteRecord site = formAutoSite_->Site();
    Change([&site, index](OwnSites& own) { return own.Replace(index, site); }, site.Title);
}

void OwnSiteCommands::ADeleteSiteAutoExecute()
{
    const int index = OwnSiteRows::Selected(w_.Sites, w_.Own);
    if (index < 0) return;
    if (MessageBoxes::Ask(QString::fromUtf8(ListCommands::ConfirmText),
                          QString::fromUtf8(ListCommands::ConfirmCaption)) != MessageBoxes::Answer::Ok)
        return;
    Change(
        [index](OwnSites& own) {
            own.Remove(index);
            return std::string();
        },
        {});
}
