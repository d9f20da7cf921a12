#include "catalogue/RecoveryCopy.h"

#include "catalogue/FileStamp.h"
#include "common/FileReplace.h"

#include <cstdio>

bool RecoveryCopy::Offered(const std::string& path)
{
    const std::int64_t copy = FileStamp::ModifiedAt(NameOf(path));
    return copy != 0 && copy > FileStamp::ModifiedAt(path);
}

RecoveryCopy::RecoveryCopy(std::string path, std::chrono::milliseconds interval)
    : path_(NameOf(path)), interval_(interval), worker_([this] { Work(); })
{}

RecoveryCopy::~RecoveryCopy()
{
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void RecoveryCopy::Keep(std::string bytes)
{
    {
        const std::lock_guard lock(mutex_);
        pending_ = std::move(bytes);
        dropPending_ = false;
    }
    wake_.notify_all();
}

void RecoveryCopy::Drop()
{
    {
        const std::lock_guard lock(mutex_);
        pending_.reset();
        dropPending_ = true;
    }
    wake_.notify_all();
}

void RecoveryCopy::Flush()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !pending_ && !dropPending_ && !busy_; });
}

int RecoveryCopy::Writes() const
{
    const std::lock_guard lock(mutex_);
    return writes_;
}

void RecoveryCopy::Work()
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point nextWrite = Clock::now();
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || pending_ || dropPending_; });
        if (!pending_ && !dropPending_) return; // stopped with nothing to do
        // A write waits out the interval since the last one, unless the owner is going: the
        // bytes that came meanwhile are written instead of those before them.
        if (pending_ && !stop_) {
            wake_.wait_until(lock, nextWrite, [this] { return stop_ || !pending_; });
            if (!pending_ && !dropPending_) continue;
        }
        std::optional<std::string> bytes = std::move(pending_);
        pending_.reset();
        dropPending_ = false;
        busy_ = true;
        lock.unlock();
        if (bytes) {
            try {
                FileReplace::Write(path_, *bytes);
            } catch (const FileError&) {
                // A folder that takes no copy: the changes are still in the window.
            }
        } else {
            std::remove(path_.c_str());
        }
        lock.lock();
        busy_ = false;
        if (bytes) {
            ++writes_;
            nextWrite = Clock::now() + interval_;
        }
        idle_.notify_all();
    }
}
