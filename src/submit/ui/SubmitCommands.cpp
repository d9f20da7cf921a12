#include "submit/ui/SubmitCommands.h"

#include "catalogue/ListColumns.h"
#include "catalogue/ListCommands.h"
#include "catalogue/ListRows.h"
#include "common/PreparedSubmission.h"
#include "common/ui/GuiOwnerThread.h"
#include "common/ui/LocalText.h"
#include "common/ui/MessageBoxes.h"
#include "submit/SingleSubmit.h"
#include "submit/ui/TFormProgress.h"

#include <QLabel>
#include <QProgressBar>

SubmitCommands::SubmitCommands(Wiring wiring, QObject* parent)
    : w_(std::move(wiring)),
      owner_(new GuiOwnerThread(parent)),
      run_(
          w_.Table, [this](TDownloadOwner& o) { return MakeWorker(o); }, owner_->Sync(), *this),
      tests_(
          w_.Products, [this](TDownloadOwner& o) { return MakeWorker(o); }, owner_->Sync())
{
    run_.SetPrepared(&w_.Prepared);
    // Cancel, the close box and Escape all end the run.
    QObject::connect(w_.Progress, &TFormProgress::CancelRun, owner_, [this] { run_.Cancel(); });
}

SubmitCommands::~SubmitCommands()
{
    StopAll(std::chrono::seconds(1));
}

std::unique_ptr<TDownload> SubmitCommands::MakeWorker(TDownloadOwner& owner)
{
    if (factory_) return factory_(owner, owner_->Sync());
    return std::make_unique<TDownload>(owner, owner_->Sync());
}

bool SubmitCommands::StopAll(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const bool runDone = run_.StopAll(timeout);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return tests_.StopAll(std::max(left, std::chrono::milliseconds(0))) && runDone;
}

void SubmitCommands::SubmitAll()
{
    std::vector<RunProduct> products;
    for (int row = 0; row < w_.Products.Count(); ++row) {
        const ListRow& r = w_.Products.Row(row);
        if (r.Checked)
            products.push_back(
                {r.Caption, r.SubItems[ProductColumn::PadLink - 1], r.SubItems[ProductColumn::Category - 1]});
    }
    std::vector<bool> sites;
    for (int row = 0; row < w_.Sites.Count(); ++row) sites.push_back(w_.Sites.Row(row).Checked);

    runOver_ = false;
    if (!run_.SubmitAll(std::move(products), sites)) return;
    // The last run's counts no longer describe the rows.
    if (w_.ShowStatus) w_.ShowStatus("");
    w_.Progress->ShowModal();
    if (!runOver_) return; // cancelled
    const std::string summary = run_.Summary();
    std::string line = summary;
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    if (w_.ShowStatus) w_.ShowStatus(line);
    MessageBoxes::Show(LocalText::ToQ(summary));
}

void SubmitCommands::Submit()
{
    const SingleSubmit::Request r = SingleSubmit::Prepare(w_.Products, w_.Sites.FirstSelected(), w_.Table);
    if (!r.Message.empty()) {
        MessageBoxes::Show(LocalText::ToQ(r.Message));
        return;
    }
    w_.Sites.SetText(r.SiteRow, SiteColumn::Status, "");
    w_.Prepared = r.Prepared;
    if (w_.NavigatePost) w_.NavigatePost(r.Address, r.PostData);
}

void SubmitCommands::TestPad()
{
    const int row = w_.Products.FirstSelected();
    if (row < 0) {
        MessageBoxes::Show(QString::fromUtf8(ListCommands::SelectItemFirst));
        return;
    }
    tests_.Test(row);
}

void SubmitCommands::TestPads()
{
    tests_.TestChecked();
}

void SubmitCommands::SiteStatus(int siteRow, const std::string& word)
{
    if (siteRow >= 0 && siteRow < w_.Sites.Count()) w_.Sites.SetText(siteRow, SiteColumn::Status, word);
}

void SubmitCommands::ProductLabel(const std::string& text)
{
    w_.Progress->LabelProductTitle()->setText(LocalText::ToQ(text));
}

void SubmitCommands::SiteLabel(const std::string& text)
{
    w_.Progress->LabelSiteTitle()->setText(LocalText::ToQ(text));
}

void SubmitCommands::BarMaxima(int current, int total)
{
    w_.Progress->ProgressBarCurrent()->setMaximum(current);
    w_.Progress->ProgressBarTotal()->setMaximum(total);
}

void SubmitCommands::CurrentBar(int position)
{
    w_.Progress->ProgressBarCurrent()->setValue(position);
}

void SubmitCommands::TotalBar(int position)
{
    w_.Progress->ProgressBarTotal()->setValue(position);
}

void SubmitCommands::RunOver()
{
    runOver_ = true;
    w_.Progress->accept();
}

void SubmitCommands::Message(const std::string& text)
{
    MessageBoxes::Show(LocalText::ToQ(text));
}
