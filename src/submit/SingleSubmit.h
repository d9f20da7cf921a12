#pragma once

#include "common/PreparedSubmission.h"

#include <string>

class ListRows;
class SiteTable;

// Submit: one checked product to the one site selected in the Auto Submit list, through the
// browser, so that the user sees the site's answer page. For "GET" and "POST" sites alike
// the page is loaded from the script address, "?" and the query, with the query also sent
// as the POST body.
class SingleSubmit {
public:
    static constexpr const char* CheckAProductText = "Check a product !";
    static constexpr const char* CheckOnlyOneText = "Check only one product !";
    static constexpr const char* SelectSiteText = "Select Item First ! ";

    struct Request {
        std::string Message;  // not empty: show it, and nothing is sent
        int SiteRow = -1;     // the row whose Status is cleared
        std::string Address;  // script address + "?" + query
        std::string PostData; // the query
        PreparedSubmission Prepared;
    };

    // `siteRow`: the first selected row of the Auto Submit list, -1 when none is.
    // `authorEmail` goes to the author's own sites that name an e-mail field.
    static Request Prepare(const ListRows& products, int siteRow, const SiteTable& sites,
                           const std::string& authorEmail = {});
};
