#pragma once

#include "common/Phrase.h"
#include "history/HistoryRecords.h"

#include <string>
#include <vector>

// How the sites fared lately, from HistoryStore::RecentBySite: each site's share of "Ok" (the
// chart that makes dead sites stand out) and the sites to stop sending to. Plain functions;
// any thread.
class SiteHealth {
public:
    // A site is dead when each of its last DeadAfter attempts got no answer ("Failed", or
    // "Invalid": its host name did not resolve). An "X" among them means the site answered, and
    // an "Ok" or "Cancelled" (or a word of another version) keeps it too. A site with fewer
    // attempts than that is not judged: one timeout is no reason to drop a site.
    static constexpr int DeadAfter = 5;
    // The question names at most this many dead sites, then tells how many more there are.
    static constexpr int ListedAtMost = 20;

    struct Share {
        std::string Site;
        int Ok = 0;
        int Attempts = 0;
        double Fraction() const { return Attempts > 0 ? static_cast<double>(Ok) / Attempts : 0.0; }
    };

    // Each site's "Ok" among the outcomes given for it (the caller asks for the last ten), the
    // lowest share first; equal shares by title. Sites without an attempt are left out.
    static std::vector<Share> OkShares(const std::vector<SiteRecent>& recent);

    // The sites among `checked` that are dead, in the order of `checked`, each with its last
    // DeadAfter outcomes (`recent` must hold at least those, newest first).
    static std::vector<SiteRecent> Dead(const std::vector<SiteRecent>& recent, const std::vector<std::string>& checked);

    // The question before unchecking `dead` (not empty): one line per site with its outcomes,
    // "Alpine Downloads: Failed Failed Invalid Failed Failed", the first ListedAtMost of them.
    static Phrase UncheckQuestion(const std::vector<SiteRecent>& dead);
};
