#pragma once

#include <string>

struct SiteRecord;

// The text of one submission: the site's PAD-link field with the link exactly as stored,
// then its category field with the category encoded; for one of the author's own sites that
// names an e-mail field, then that field with the author's address, encoded the same way.
class SubmissionQuery {
public:
    // Every " " becomes "+", then every "&" becomes "%26"; nothing else changes.
    static std::string EncodeCategory(const std::string& category);
    // LinkField=link&CategoryField=encoded category, then &EmailField=encoded address when the
    // site is the author's own, names an e-mail field and an address is set. A built-in
    // site's e-mail field is never sent.
    static std::string Build(const SiteRecord& site, const std::string& padLink, const std::string& category,
                             const std::string& authorEmail = {});
};
