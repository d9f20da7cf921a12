#pragma once

#include <string>

struct SiteRecord;

// The text of one submission: the site's PAD-link field with the link exactly as stored,
// then its category field with the category encoded.
class SubmissionQuery {
public:
    // Every " " becomes "+", then every "&" becomes "%26"; nothing else changes.
    static std::string EncodeCategory(const std::string& category);
    // LinkField=link&CategoryField=encoded category. The e-mail field is never sent.
    static std::string Build(const SiteRecord& site, const std::string& padLink, const std::string& category);
};
