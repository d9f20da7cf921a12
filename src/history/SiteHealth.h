#pragma once

#include "history/HistoryRecords.h"

#include <string>
#include <vector>

// How the sites fared lately, from HistoryStore::RecentBySite: each site's share of "Ok" (the
// chart that makes dead sites stand out) and the sites to stop sending to. Plain functions;
// any thread.
class SiteHealth {
public:
    // A site is dead when none of its last DeadAfter attempts came back "Ok". A site with fewer
    // attempts than that is not judged: one timeout is no reason to drop a site.
    static constexpr int DeadAfter = 5;

    struct Share {
        std::string Site;
        int Ok = 0;
        int Attempts = 0;
        double Fraction() const { return Attempts > 0 ? static_cast<double>(Ok) / Attempts : 0.0; }
    };

    // Each site's "Ok" among the outcomes given for it (the caller asks for the last ten), the
    // lowest share first; equal shares by title. Sites without an attempt are left out.
    static std::vector<Share> OkShares(const std::vector<SiteRecent>& recent);

    // The sites among `checked` that are dead, in the order of `checked` (`recent` must hold
    // at least each site's last DeadAfter outcomes, newest first).
    static std::vector<std::string> Dead(const std::vector<SiteRecent>& recent,
                                         const std::vector<std::string>& checked);
};
