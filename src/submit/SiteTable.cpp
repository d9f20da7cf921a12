#include "submit/SiteTable.h"

#include <stdexcept>
#include <string>

namespace {

SiteRecord Site(const char* title, const char* scriptUrl, const char* method)
{
    return SiteRecord{title, scriptUrl, method, "padurl", "padcat", "email", "successfully"};
}

} // namespace

const SiteTable& SiteTable::BuiltIn()
{
    // Built once, on first use, and never changed afterwards. Kept in ascending title
    // order: row i of the Auto Submit list is entry i here.
    static const SiteTable table(std::vector<SiteRecord>{
        Site("Acorn Software Shelf", "http://www.acorn-software-shelf.example/addpad.php", "GET"),
        Site("Alpine Downloads", "http://www.alpine-downloads.example/addpad.php", "GET"),
        Site("Amber Soft Catalog", "http://www.amber-soft-catalog.example/catalog/checkadd.php", "POST"),
        Site("Anchor Freeware", "http://www.anchor-freeware.example/addpad.php", "GET"),
        Site("Apex Shareware", "http://www.apex-shareware.example/addpad.php", "GET"),
        Site("Aurora Programs", "http://www.aurora-programs.example/addpad.php", "GET"),
        Site("Beacon Downloads", "http://www.beacon-downloads.example/addpad.php", "GET"),
        Site("Birch Software Index", "http://www.birch-software-index.example/checkadd.php", "POST"),
        Site("Bluebird PAD Depot", "http://www.bluebird-pad-depot.example/PAD/addpad.php", "GET"),
        Site("Bramble Soft", "http://www.bramble-soft.example/checkadd.php", "POST"),
        Site("Canyon Software", "http://www.canyon-software.example/submit/added.php", "GET"),
        Site("Cedar Download Hub", "http://www.cedar-download-hub.example/addpad.php", "GET"),
        Site("Cobalt Shareware", "http://www.cobalt-shareware.example/addpad.php", "GET"),
        Site("Compass Freeware", "http://www.compass-freeware.example/addpad.php", "GET"),
        Site("Copper Kettle Soft", "http://www.copper-kettle-soft.example/addpad.php", "GET"),
        Site("Crescent Programs", "http://www.crescent-programs.example/addpad.php", "GET"),
        Site("Delta Downloads", "http://www.delta-downloads.example/addpad.php", "GET"),
        Site("Driftwood Software", "http://www.driftwood-software.example/checkadd.php", "POST"),
        Site("Ember Shareware", "http://www.ember-shareware.example/addpad.php", "GET"),
        Site("Evergreen Soft Site", "http://www.evergreen-soft-site.example/padsite/checkadd.php", "POST"),
        Site("Falcon Files", "http://www.falcon-files.example/addpad.php", "GET"),
        Site("Fern Freeware", "http://www.fern-freeware.example/addpad.php", "GET"),
        Site("Firefly Software", "http://www.firefly-software.example/checkadd.php", "POST"),
        Site("Glacier Downloads", "http://www.glacier-downloads.example/addpad.php", "GET"),
        Site("Granite Soft Library", "http://www.granite-soft-library.example/software/checkadd.php", "POST"),
        Site("Harbor Lights Software", "http://www.harbor-lights-software.example/submitcategory.php", "POST"),
        Site("Hazel Programs", "http://www.hazel-programs.example/checkadd.php", "POST"),
        Site("Heron Shareware", "http://www.heron-shareware.example/addpad.php", "GET"),
        Site("Indigo Downloads", "http://www.indigo-downloads.example/addpad.php", "GET"),
        Site("Juniper Pro Soft", "http://www.juniper-pro-soft.example/prosoft/addpad.php", "GET"),
        Site("Kestrel PAD Shelf", "http://www.kestrel-pad-shelf.example/pad/addpad.php", "GET"),
        Site("Lantern Freeware", "http://www.lantern-freeware.example/addpad.php", "GET"),
        Site("Maple Leaf Soft", "http://www.maple-leaf-soft.example/addpad.php", "GET"),
        Site("Meadow Downloads", "http://www.meadow-downloads.example/addpad.php", "GET"),
        Site("Nimbus Shareware", "http://www.nimbus-shareware.example/addpad.php", "GET"),
        Site("Oakwood Software", "http://www.oakwood-software.example/software/checkadd.php", "POST"),
        Site("Orchard Programs", "http://www.orchard-programs.example/checkadd.php", "POST"),
        Site("Pebble Downloads", "http://www.pebble-downloads.example/addpad.php", "GET"),
        Site("Quartz Shareware", "http://www.quartz-shareware.example/addpad.php", "GET"),
        Site("Riverbend Freeware", "http://www.riverbend-freeware.example/addpad.php", "GET"),
        Site("Shareware Harbor", "http://www.shareware-harbor.example/addpad.php", "GET"),
        Site("Summit Software", "http://www.summit-software.example/addpad.php", "GET"),
        Site("Tidewater Downloads", "http://www.tidewater-downloads.example/addpad.php", "GET"),
        Site("Willow Programs", "http://www.willow-programs.example/addpad.php", "GET"),
        Site("Zephyr Software", "http://www.zephyr-software.example/checkadd.php", "POST"),
    });
    return table;
}

const SiteRecord& SiteTable::At(int index) const
{
    if (index < 0 || index >= Count()) throw std::out_of_range("SiteTable::At: no site " + std::to_string(index));
    return rows_[static_cast<size_t>(index)];
}

SiteTable SiteTable::Combined(const SiteTable& base, const std::vector<SiteRecord>& own)
{
    std::vector<SiteRecord> rows = base.Rows();
    rows.reserve(rows.size() + own.size());
    for (SiteRecord site : own) {
        site.Own = true;
        rows.push_back(std::move(site));
    }
    return SiteTable(std::move(rows));
}

int SiteTable::Find(const std::string& title) const
{
    for (int i = 0; i < Count(); ++i)
        if (rows_[static_cast<size_t>(i)].Title == title) return i;
    return -1;
}
