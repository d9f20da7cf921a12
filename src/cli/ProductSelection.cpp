#include "cli/ProductSelection.h"

#include "catalogue/CatalogueFile.h"
#include "common/FileReplace.h"
#include "submit/SendableProducts.h"
#include "submit/SubmissionRun.h"

#include <set>

ProductSelection::ProductSelection() : list_(4, true)
{}

bool ProductSelection::Load(const std::string& path, std::string& error)
{
    try {
        CatalogueFile::ReadList(list_, path);
    } catch (const FileError& e) {
        error = e.what();
        return false;
    }
    return true;
}

bool ProductSelection::Pick(const std::vector<std::string>& titles, std::string& error)
{
    rows_.clear();
    const std::set<std::string> wanted(titles.begin(), titles.end());
    std::set<std::string> found;
    for (int row = 0; row < list_.Count(); ++row) {
        if (!wanted.empty() && !wanted.count(list_.Caption(row))) continue;
        rows_.push_back(row);
        found.insert(list_.Caption(row));
    }
    error.clear();
    SendableProducts sendable = SendableProducts::Of(list_, rows_);
    rows_ = std::move(sendable.Rows);
    warning_ = sendable.Warning.English();
    for (const std::string& title : titles) {
        if (found.count(title)) continue;
        error += (error.empty() ? "no product titled \"" : "\", \"") + title;
        found.insert(title); // named once
    }
    if (error.empty()) return true;
    error += "\"";
    rows_.clear();
    warning_.clear();
    return false;
}

RunProduct ProductSelection::Product(const ListRows& list, int row)
{
    return SendableProducts::Product(list, row);
}

bool ProductSelection::Open(const std::string& path, const std::vector<std::string>& titles, std::string& error)
{
    if (!Load(path, error)) return false;
    if (!Pick(titles, error)) {
        error += " in " + path;
        return false;
    }
    if (rows_.empty()) {
        error = "no products in " + path;
        return false;
    }
    return true;
}
