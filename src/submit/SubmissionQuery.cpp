#include "submit/SubmissionQuery.h"

#include "submit/SiteTable.h"

std::string SubmissionQuery::EncodeCategory(const std::string& category)
{
    std::string out;
    out.reserve(category.size());
    for (char c : category) {
        if (c == ' ')
            out += '+';
        else if (c == '&')
            out += "%26";
        else
            out += c;
    }
    return out;
}

std::string SubmissionQuery::Build(const SiteRecord& site, const std::string& padLink, const std::string& category,
                                   const std::string& authorEmail)
{
    std::string query = site.LinkField + "=" + padLink + "&" + site.CategoryField + "=" + EncodeCategory(category);
    if (site.Own && !site.EmailField.empty() && !authorEmail.empty())
        query += "&" + site.EmailField + "=" + EncodeCategory(authorEmail);
    return query;
}
