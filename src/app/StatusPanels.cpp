#include "app/StatusPanels.h"

#include "app/StatusText.h"
#include "catalogue/ListRows.h"

void StatusPanels::AddPage(const ListRows& list, SecondText second)
{
    pages_.push_back({&list, std::move(second)});
}

void StatusPanels::ShowPage(int page)
{
    if (!Known(page)) return;
    page_ = page;
    total_ = StatusText::Total(pages_[page].list->Count());
    const int selected = pages_[page].list->FirstSelected();
    if (selected >= 0)
        Name(page, selected);
    else if (namedPage_ >= 0)
        Forget(); // a row of another page; a run's message stays
}

void StatusPanels::RowSelected(int page, int row)
{
    if (page != page_ || !Known(page) || row < 0 || row >= pages_[page].list->Count()) return;
    Name(page, row);
}

void StatusPanels::ListChanged(int page)
{
    if (!Known(page)) return;
    if (page == page_) total_ = StatusText::Total(pages_[page].list->Count());
    if (namedPage_ != page) return;
    const int row = pages_[page].list->IndexOfId(namedId_);
    if (row < 0)
        Forget();
    else
        Name(page, row);
}

void StatusPanels::ShowMessage(Phrase text)
{
    namedPage_ = -1;
    row_ = std::move(text);
}

void StatusPanels::Name(int page, int row)
{
    const PageList& p = pages_[page];
    namedPage_ = page;
    namedId_ = p.list->Row(row).Id;
    // A row's own texts: never translated, whatever words they hold.
    row_ = Phrase::Text(StatusText::Row(p.list->Caption(row), p.second ? p.second(row) : std::string()));
}

void StatusPanels::Forget()
{
    namedPage_ = -1;
    row_ = {};
}
