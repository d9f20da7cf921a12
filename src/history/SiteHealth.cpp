#include "history/SiteHealth.h"

#include "common/Outcome.h"
#include "common/StatusWords.h"

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

std::vector<SiteRecent> SiteHealth::Dead(const std::vector<SiteRecent>& recent, const std::vector<std::string>& checked)
{
    std::unordered_map<std::string, const SiteRecent*> bySite;
    for (const SiteRecent& site : recent) bySite[site.Site] = &site;
    const auto noAnswer = [](Outcome o) { return o == Outcome::Failed || o == Outcome::Invalid; };
    std::vector<SiteRecent> dead;
    for (const std::string& title : checked) {
        const auto found = bySite.find(title);
        if (found == bySite.end()) continue;
        const std::vector<Outcome>& outcomes = found->second->Outcomes;
        if (static_cast<int>(outcomes.size()) < DeadAfter) continue;
        const auto last = outcomes.begin() + DeadAfter;
        if (std::all_of(outcomes.begin(), last, noAnswer)) dead.push_back({title, {outcomes.begin(), last}});
    }
    return dead;
}

Phrase SiteHealth::UncheckQuestion(const std::vector<SiteRecent>& dead)
{
    std::vector<Phrase> lines;
    for (size_t i = 0; i < dead.size() && i < static_cast<size_t>(ListedAtMost); ++i) {
        std::string words;
        for (const Outcome o : dead[i].Outcomes)
            words += (words.empty() ? "" : " ") + std::string(StatusWords::Word(o));
        lines.push_back(Phrase::Join({Phrase::Text(dead[i].Site), Phrase::Text(words)}, ": "));
    }
    if (dead.size() > static_cast<size_t>(ListedAtMost))
        lines.push_back(Phrase("and %1 more", {Phrase::Text(std::to_string(dead.size() - ListedAtMost))}));
    return Phrase::Join({Phrase("Uncheck these %1 sites, which did not answer in their last %2 attempts?",
                                {Phrase::Text(std::to_string(dead.size())), Phrase::Text(std::to_string(DeadAfter))}),
                         Phrase::Lines(std::move(lines))},
                        "\n\n");
}
