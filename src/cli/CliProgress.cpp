#include "cli/CliProgress.h"

#include "submit/RunProgress.h"

using namespace std::chrono;

CliProgress::CliProgress(std::ostream& err, bool quiet, bool terminal, int total, Words words, Clock now)
    : err_(err), quiet_(quiet), terminal_(terminal), total_(total), words_(words), now_(std::move(now)), start_(now_())
{}

void CliProgress::Ended(bool good, const std::string& text)
{
    ++(good ? good_ : bad_);
    if (quiet_) return;
    if (!terminal_) {
        err_ << '[' << good_ + bad_ << '/' << total_ << "] " << text << '\n';
        return;
    }
    if (barShown_ && good_ + bad_ < total_ && now_() - lastDrawn_ < milliseconds(100)) {
        stale_ = true;
        return;
    }
    Draw();
}

void CliProgress::Tick()
{
    if (quiet_ || !terminal_) return;
    if (barShown_ && now_() - lastDrawn_ < seconds(1)) return;
    Draw();
}

void CliProgress::End()
{
    if (!barShown_) return;
    if (stale_) Draw();
    err_ << '\n';
    barShown_ = false;
}

void CliProgress::Draw()
{
    lastDrawn_ = now_();
    barShown_ = true;
    stale_ = false;
    // Narrow enough that the whole line fits an 80-column terminal: a line that wraps is not
    // redrawn in place.
    constexpr int Width = 20;
    const int done = good_ + bad_;
    const int filled = total_ > 0 ? static_cast<int>(static_cast<long long>(Width) * done / total_) : Width;
    std::string bar = "[" + std::string(static_cast<size_t>(filled), '#') +
                      std::string(static_cast<size_t>(Width - filled), '-') + "] " + std::to_string(done) + '/' +
                      std::to_string(total_) + "  " + words_.Good + ' ' + std::to_string(good_) + "  " + words_.Bad +
                      ' ' + std::to_string(bad_) + "  " +
                      RunProgress::Times(duration_cast<milliseconds>(lastDrawn_ - start_), done, total_);
    const size_t length = bar.size();
    if (length < barLength_) bar.append(barLength_ - length, ' '); // over what a longer line left
    barLength_ = length;
    err_ << '\r' << bar << std::flush;
}
