#include "submit/OwnSiteRows.h"

#include "catalogue/ListRows.h"
#include "common/FileReplace.h"
#include "submit/OwnSites.h"
#include "submit/SiteTable.h"

#include <map>
#include <utility>

void OwnSiteRows::Fill(ListRows& list, const SiteTable& table)
{
    list.BeginUpdate();
    list.Clear();
    for (const SiteRecord& site : table.Rows()) {
        ListRow row;
        row.Caption = site.Title;
        row.Checked = true;
        list.Add(std::move(row));
    }
    list.EndUpdate();
}

void OwnSiteRows::Show(ListRows& list, const OwnSites& own, const std::string& checkedTitle)
{
    const int base = own.Base().Count();
    std::map<std::string, std::pair<bool, std::string>> kept;
    for (int row = base; row < list.Count(); ++row)
        kept[list.Caption(row)] = {list.Row(row).Checked, list.Text(row, 1)};
    list.BeginUpdate();
    while (list.Count() > base) list.Delete(list.Count() - 1);
    for (const SiteRecord& site : own.Sites()) {
        ListRow row;
        row.Caption = site.Title;
        const auto it = kept.find(site.Title);
        row.Checked = site.Title == checkedTitle || it == kept.end() || it->second.first;
        const int added = list.Add(std::move(row));
        if (it != kept.end() && site.Title != checkedTitle) list.SetText(added, 1, it->second.second);
    }
    list.EndUpdate();
}

int OwnSiteRows::Selected(const ListRows& list, const OwnSites& own)
{
    const int row = list.FirstSelected();
    const int index = row - own.Base().Count();
    return row < 0 || index < 0 || index >= static_cast<int>(own.Sites().size()) ? -1 : index;
}

std::string OwnSiteRows::Change(OwnSites& own, const std::string& path,
                                const std::function<std::string(OwnSites&)>& change, int* taken)
{
    OwnSites before = own;
    const std::string refusal = change(own);
    if (!refusal.empty()) return refusal;
    try {
        const int fromFile = own.Save(path);
        if (taken) *taken = fromFile;
    } catch (const FileError& e) {
        own = std::move(before);
        return e.what();
    }
    return {};
}
