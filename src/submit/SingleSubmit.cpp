#include "submit/SingleSubmit.h"

#include "catalogue/ListRows.h"
#include "catalogue/Product.h"
#include "submit/SiteTable.h"
#include "submit/SubmissionQuery.h"

SingleSubmit::Request SingleSubmit::Prepare(const ListRows& products, int siteRow, const SiteTable& sites,
                                            const std::string& authorEmail)
{
    Request r;
    int checked = 0;
    int first = -1;
    for (int row = 0; row < products.Count(); ++row) {
        if (!products.Row(row).Checked) continue;
        if (checked++ == 0) first = row;
    }
    if (checked == 0) {
        r.Message = CheckAProductText;
        return r;
    }
    if (checked > 1) {
        r.Message = CheckOnlyOneText;
        return r;
    }
    if (siteRow < 0 || siteRow >= sites.Count()) {
        r.Message = SelectSiteText;
        return r;
    }
    const Product product = ProductAt(products, first);
    const std::string& link = product.PadLink;
    const SiteRecord& site = sites.At(siteRow);
    r.SiteRow = siteRow;
    r.PostData = SubmissionQuery::Build(site, link, product.Category, authorEmail);
    r.Address = site.ScriptUrl + "?" + r.PostData;
    r.Prepared = {site.ScriptUrl, site.LinkField, link};
    return r;
}
