#include "cli/CliRunView.h"

#include "cli/CliOptions.h"
#include "common/StatusWords.h"
#include "submit/SiteTable.h"
#include "submit/SubmissionRun.h"

CliRunView::CliRunView(std::ostream& out, std::ostream& err, bool quiet, bool terminal, int total)
    : out_(out), err_(err), quiet_(quiet), terminal_(terminal), total_(total)
{}

void CliRunView::Follow(const std::vector<RunProduct>& products, const SiteTable& sites)
{
    products_ = &products;
    sites_ = &sites;
}

void CliRunView::Line(const std::string& word, const std::string& product, const std::string& site,
                      const std::string& detail)
{
    if (quiet_) return;
    out_ << word << '\t' << CliOptions::OneLine(product) << '\t' << CliOptions::OneLine(site) << '\t'
         << CliOptions::OneLine(detail) << '\n';
}

void CliRunView::Message(const std::string& text)
{
    err_ << CliOptions::OneLine(text) << '\n';
}

void CliRunView::PairEnded(const RunPair& pair)
{
    if (pair.Outcome == StatusWords::Ok)
        ++ok_;
    else
        ++failed_;
    if (quiet_ || !products_ || !sites_) return;
    const std::string& product = products_->at(static_cast<size_t>(pair.Product)).Title;
    const std::string& site = sites_->At(pair.SiteRow).Title;
    // A reply cut short has both: its status, and the reason it is no success.
    std::string detail = pair.HttpStatus ? std::to_string(pair.HttpStatus) : pair.Error;
    if (pair.HttpStatus && !pair.Error.empty()) detail += " " + pair.Error;
    Line(pair.Outcome, product, site, detail);
    if (terminal_) {
        DrawBar(ok_ + failed_ == total_);
    } else {
        err_ << '[' << ok_ + failed_ << '/' << total_ << "] " << pair.Outcome << "  " << CliOptions::OneLine(product)
             << " -> " << CliOptions::OneLine(site) << '\n';
    }
}

void CliRunView::DrawBar(bool now)
{
    const auto time = std::chrono::steady_clock::now();
    if (!now && barShown_ && time - lastDrawn_ < std::chrono::milliseconds(100)) return;
    lastDrawn_ = time;
    barShown_ = true;
    constexpr int Width = 30;
    const int done = ok_ + failed_;
    const int filled = total_ > 0 ? static_cast<int>(static_cast<long long>(Width) * done / total_) : Width;
    err_ << "\r[" << std::string(static_cast<size_t>(filled), '#')
         << std::string(static_cast<size_t>(Width - filled), '-') << "] " << done << '/' << total_ << "  Ok " << ok_
         << "  Failed " << failed_ << std::flush;
}

void CliRunView::EndProgress()
{
    if (!barShown_) return;
    DrawBar(true);
    err_ << '\n';
    barShown_ = false;
}
