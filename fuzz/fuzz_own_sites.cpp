// The reader of the author's own sites (autosites.dat), on any bytes. Every site it takes
// passes the checks the dialog makes, titles are unique and in title order, no line of the
// file is lost (each is a site or a skipped line), and the bytes it writes read back to the
// same sites and skipped lines, so a save never changes what the next start finds.
#include "FuzzCheck.h"

#include "catalogue/CaptionCollator.h"
#include "catalogue/CatalogueFile.h"
#include "common/FileReplace.h"
#include "submit/OwnSites.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    OwnSites own;
    bool utf16 = false;
    try {
        own.Parse(bytes, "autosites.dat");
    } catch (const FileError& e) {
        utf16 = std::string_view(e.what()).find("UTF-16") != std::string_view::npos;
    }
    std::set<std::string> titles;
    const CaptionCollator& order = CaptionCollator::Default();
    for (size_t i = 0; i < own.Sites().size(); ++i) {
        const SiteRecord& site = own.Sites()[i];
        FUZZ_CHECK(OwnSites::CheckFields(site).empty(), "a site read passes the dialog's checks");
        FUZZ_CHECK(site.Own, "a site read is an own site");
        FUZZ_CHECK(titles.insert(site.Title).second, "no two sites share a title");
        if (i > 0) FUZZ_CHECK(order.Compare(own.Sites()[i - 1].Title, site.Title) < 0, "sites are in title order");
    }
    size_t lines = 0;
    if (!utf16)
        for (const std::string& line : CatalogueFile::SplitLines(bytes)) lines += line.empty() ? 0 : 1;
    FUZZ_CHECK(own.Sites().size() + own.Skipped().size() == lines, "every line is a site or a skipped line");

    const std::string written = own.Format();
    OwnSites again;
    again.Parse(written, "autosites.dat");
    FUZZ_CHECK(again.Format() == written, "what is written reads back to the same file");
    FUZZ_CHECK(again.Sites().size() == own.Sites().size(), "what is written reads back to the same sites");
    return 0;
}
