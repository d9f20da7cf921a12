#pragma once

#include "common/Phrase.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class ListRows;

// What the main window's status bar shows. The first panel counts the rows of the list on
// the page shown, and follows every row added or removed. The second names one row of that
// list (its title and its second text: PAD link, script address or site link), or tells
// what a run did. A named row that is renamed or edited is named anew; one that goes, or
// that belongs to a page no longer shown, leaves the panel empty.
//
// Lives on the GUI thread, like the lists it reads; the lists outlive it.
class StatusPanels {
public:
    using SecondText = std::function<std::string(int row)>;

    // The pages' lists, in page order, each with the second text of its rows.
    void AddPage(const ListRows& list, SecondText second);

    // A page was chosen: its total, and its first selected row.
    void ShowPage(int page);
    // A row of a page's list became selected or deselected; it is named when that page is shown.
    void RowSelected(int page, int row);
    // Rows of a page's list were added, removed, edited or moved.
    void ListChanged(int page);
    // A text that names no row.
    void ShowMessage(Phrase text);

    int Page() const { return page_; }
    const std::string& Total() const { return total_; }
    // The second panel: a named row's title and second text as they are, or a message.
    const Phrase& Row() const { return row_; }

private:
    struct PageList {
        const ListRows* list;
        SecondText second;
    };
    bool Known(int page) const { return page >= 0 && page < static_cast<int>(pages_.size()); }
    void Name(int page, int row);
    void Forget();

    std::vector<PageList> pages_;
    int page_ = 0;
    int namedPage_ = -1; // the page whose row the second panel names; -1: none
    std::uint64_t namedId_ = 0;
    std::string total_;
    Phrase row_;
};
