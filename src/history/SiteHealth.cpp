#include "history/SiteHealth.h"

#include "common/Outcome.h"

#include <algorithm>
#include <unordered_map>

std::vector<SiteHealth::Share> SiteHealth::OkShares(const std::vector<SiteRecent>& recent)
{
    std::vector<Share> shares;
    for (const SiteRecent& site : recent) {
        if (site.Outcomes.empty()) continue;
        Share s{site.Site, 0, static_cast<int>(site.Outcomes.size())};
        s.Ok = static_cast<int>(std::count(site.Outcomes.begin(), site.Outcomes.end(), Outcome::Ok));
        shares.push_back(std::move(s));
    }
    // Compared as whole numbers (a * d < c * b), so 1/2 and 5/10 tie exactly.
    std::sort(shares.begin(), shares.end(), [](const Share& a, const Share& b) {
        const long long left = static_cast<long long>(a.Ok) * b.Attempts;
        const long long right = static_cast<long long>(b.Ok) * a.Attempts;
        if (left != right) return left < right;
        return a.Site < b.Site;
    });
    return shares;
}

std::vector<std::string> SiteHealth::Dead(const std::vector<SiteRecent>& recent,
                                          const std::vector<std::string>& checked)
{
    std::unordered_map<std::string, const SiteRecent*> bySite;
    for (const SiteRecent& site : recent) bySite[site.Site] = &site;
    std::vector<std::string> dead;
    for (const std::string& title : checked) {
        const auto found = bySite.find(title);
        if (found == bySite.end()) continue;
        const std::vector<Outcome>& outcomes = found->second->Outcomes;
        if (static_cast<int>(outcomes.size()) < DeadAfter) continue;
        const auto last = outcomes.begin() + DeadAfter;
        if (std::find(outcomes.begin(), last, Outcome::Ok) == last) dead.push_back(title);
    }
    return dead;
}
