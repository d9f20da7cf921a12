#include "submit/RunProgress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace std::chrono;

void RunProgress::Add(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Ok: ++Ok; break;
    case Outcome::NotAccepted: ++X; break;
    case Outcome::Failed:
    case Outcome::Invalid: ++Failed; break;
    case Outcome::None:
    case Outcome::Cancelled:
    case Outcome::Unknown: break;
    }
}

std::string RunProgress::Line(milliseconds elapsed, long long total) const
{
    return "Ok " + std::to_string(Ok) + "  X " + std::to_string(X) + "  Failed " + std::to_string(Failed) + "  " +
           Times(elapsed, Done(), total);
}

Phrase RunProgress::LinePhrase(milliseconds elapsed, long long total) const
{
    const auto n = [](const std::string& text) { return Phrase::Text(text); };
    const std::vector<Phrase> counts{n(std::to_string(Ok)), n(std::to_string(X)), n(std::to_string(Failed)),
                                     n(Duration(duration_cast<seconds>(elapsed)))};
    const auto left = Left(elapsed, Done(), total);
    if (!left) return Phrase("Ok %1  X %2  Failed %3  %4 elapsed", counts);
    std::vector<Phrase> withLeft = counts;
    withLeft.push_back(n(Duration(*left)));
    return Phrase("Ok %1  X %2  Failed %3  %4 elapsed, %5 left", std::move(withLeft));
}

std::optional<seconds> RunProgress::Left(milliseconds elapsed, long long done, long long total)
{
    if (done <= 0 || done >= total || done * 10 < total) return std::nullopt;
    const double left =
        static_cast<double>(elapsed.count()) * static_cast<double>(total - done) / static_cast<double>(done) / 1000.0;
    return seconds(std::max(0LL, static_cast<long long>(std::ceil(left))));
}

std::string RunProgress::Times(milliseconds elapsed, long long done, long long total)
{
    std::string text = Duration(duration_cast<seconds>(elapsed)) + " elapsed";
    if (const auto left = Left(elapsed, done, total)) text += ", " + Duration(*left) + " left";
    return text;
}

std::string RunProgress::Duration(seconds time)
{
    const long long s = std::max<long long>(time.count(), 0);
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
    return text;
}
