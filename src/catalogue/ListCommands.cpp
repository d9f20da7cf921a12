#include "catalogue/ListCommands.h"

#include "catalogue/ListRows.h"
#include "catalogue/Product.h"

int ListCommands::DeleteSelected(ListRows& list)
{
    return list.DeleteIf([](const ListRowView& r) { return r.Selected; });
}

int ListCommands::DeleteChecked(ListRows& list)
{
    return list.DeleteIf([](const ListRowView& r) { return r.Checked; });
}

void ListCommands::DeleteAll(ListRows& list)
{
    list.Clear();
}

int ListCommands::BeginEdit(ListRows& list)
{
    const int row = list.FirstSelected();
    if (row >= 0) list.SetSorted(false);
    return row;
}

namespace {

int Append(ListRows& list, std::vector<std::string> subItems, const std::string& title)
{
    ListRow row;
    row.Caption = title;
    row.SubItems = std::move(subItems);
    list.SetSorted(false);
    return list.Add(std::move(row));
}

int Rewrite(ListRows& list, int row, const std::vector<std::string>& texts)
{
    list.SetSorted(false);
    list.SetCaption(row, texts[0]);
    for (size_t c = 1; c < texts.size(); ++c) list.SetText(row, static_cast<int>(c), texts[c]);
    return row;
}

} // namespace

int ListCommands::AddProduct(ListRows& products, const std::string& title, const std::string& link,
                             const std::string& category)
{
    int row = Append(products, {link, category, NewProductStatus}, title);
    return products.SetSorted(true, row);
}

int ListCommands::EditProduct(ListRows& products, int row, const std::string& title, const std::string& link,
                              const std::string& category)
{
    Rewrite(products, row, {title, link, category});
    return products.SetSorted(true, row);
}

int ListCommands::AddSite(ListRows& sites, const std::string& title, const std::string& link)
{
    int row = Append(sites, {link, std::string()}, title);
    return sites.SetSorted(true, row);
}

int ListCommands::EditSite(ListRows& sites, int row, const std::string& title, const std::string& link)
{
    Rewrite(sites, row, {title, link});
    return sites.SetSorted(true, row);
}

int ListCommands::CategoryIndex(const std::vector<std::string>& categories, const std::string& category)
{
    int found = -1;
    for (size_t i = 0; i < categories.size(); ++i)
        if (categories[i] == category) found = static_cast<int>(i);
    return found;
}

int ListCommands::ProductWithLink(const ListRows& products, const std::string& link)
{
    for (int row = 0; row < products.Count(); ++row)
        if (ProductAt(products, row).PadLink == link) return row;
    return -1;
}
