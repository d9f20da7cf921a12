#pragma once

#include <string>

struct RunPair;

// What shows a submission run: the Auto Submit rows' Status, the progress window's two
// labels and two bars, and messages. The windows implement it, and so does the command line.
// Every call comes on the run's owner thread.
class RunView {
public:
    virtual ~RunView() = default;
    // A site row's Status column; a row that no longer exists is left alone.
    virtual void SiteStatus(int siteRow, const std::string& word) = 0;
    virtual void ProductLabel(const std::string& text) = 0;
    virtual void SiteLabel(const std::string& text) = 0;
    virtual void BarMaxima(int current, int total) = 0;
    virtual void CurrentBar(int position) = 0;
    virtual void TotalBar(int position) = 0;
    // Every worker of the run has reported: the progress window closes.
    virtual void RunOver() = 0;
    virtual void Message(const std::string& text) = 0;
    // One product-site pair has its outcome (after its row's Status has been written).
    virtual void PairEnded(const RunPair& pair) { (void)pair; }
};
