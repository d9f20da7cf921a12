#pragma once

#include "cli/CliProgress.h"
#include "submit/RunView.h"

#include <ostream>
#include <string>
#include <vector>

class SiteTable;
struct RunProduct;

// A submission run on the command line. On `out`, one line per outcome, tab-separated: the
// outcome word, the product's title, the site's title, the HTTP status and the error text
// (either when only one is known: a reply cut short has both). On `err`, progress (see CliProgress): a bar on a
// terminal, one line per outcome ("Ok  product -> site") otherwise. Quiet shows neither.
// Tabs and line breaks in a title print as spaces, so that a line stays one line (the report keeps the bytes as they
// are).
//
// Owner thread of the run, like every RunView.
class CliRunView : public RunView {
public:
    CliRunView(std::ostream& out, std::ostream& err, bool quiet, bool terminal, int total);

    // The run whose outcomes come next: its products (as the run holds them) and site table.
    void Follow(const std::vector<RunProduct>& products, const SiteTable& sites);
    // One line on `out` (and none on `err`): for pairs that end without an outcome.
    void Line(const std::string& word, const std::string& product, const std::string& site, const std::string& detail);
    // Lets the bar's time move while no outcome comes.
    void Tick() { progress_.Tick(); }
    // Ends the bar's line, if one was drawn.
    void EndProgress() { progress_.End(); }

    int Successes() const { return progress_.Good(); }
    int Failures() const { return progress_.Bad(); }

    void SiteStatus(int, const std::string&) override {}
    void ProductLabel(const std::string&) override {}
    void SiteLabel(const std::string&) override {}
    void BarMaxima(int, int) override {}
    void CurrentBar(int) override {}
    void TotalBar(int) override {}
    void RunOver() override {}
    void Message(const std::string& text) override;
    void PairEnded(const RunPair& pair) override;

private:
    std::ostream& out_;
    std::ostream& err_;
    bool quiet_;
    CliProgress progress_;
    const std::vector<RunProduct>* products_ = nullptr;
    const SiteTable* sites_ = nullptr;
};
