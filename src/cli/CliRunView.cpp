#include "cli/CliRunView.h"

#include "cli/CliOptions.h"
#include "common/StatusWords.h"
#include "submit/SiteTable.h"
#include "submit/SubmissionRun.h"

CliRunView::CliRunView(std::ostream& out, std::ostream& err, bool quiet, bool terminal, int total)
    : out_(out),
      err_(err),
      quiet_(quiet),
      progress_(err, quiet, terminal, total, {StatusWords::Ok, StatusWords::Failed})
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
    const bool ok = pair.Outcome == Outcome::Ok;
    const std::string word = StatusWords::Word(pair.Outcome);
    if (quiet_ || !products_ || !sites_) {
        progress_.Ended(ok, word);
        return;
    }
    const std::string& product = products_->at(static_cast<size_t>(pair.Product)).Title;
    const std::string& site = sites_->At(pair.SiteRow).Title;
    // The status when a reply came (for scripts), then why the pair is no success.
    std::string detail = pair.HttpStatus ? std::to_string(pair.HttpStatus) : std::string();
    if (!pair.Why.empty()) detail += (detail.empty() ? "" : " ") + pair.Why;
    Line(word, product, site, detail);
    progress_.Ended(ok, word + "  " + CliOptions::OneLine(product) + " -> " + CliOptions::OneLine(site));
}
