#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

// The copy of a list's unsaved changes, kept beside its file as NAME.recovery while the list
// differs from the file (products.dat.recovery), so that neither Ctrl+Q, nor a crash, nor a
// kill loses them. The owner hands over the bytes after each change (Keep) and says when
// the list is as its file holds it again (Drop); a worker thread of the copy's own writes
// them, at most once per `interval`, the latest bytes only, so a burst of changes costs one
// write. The copy is replaced atomically, so a kill in the middle of a write leaves the last
// one. The destructor writes what is still waiting before it returns.
//
// The copy is never read back on its own: at the next start, a copy newer than its file is
// offered (Offered), and taken only when the user asks.
//
// Keep and Drop from the owner's thread (any one thread); the worker only writes files.
class RecoveryCopy {
public:
    static constexpr const char* Suffix = ".recovery";
    static std::string NameOf(const std::string& path) { return path + Suffix; }
    // Whether the recovery copy of `path` is there and was written after the file was (or
    // the file is gone). A copy of the same time as its file is not offered.
    static bool Offered(const std::string& path);

    explicit RecoveryCopy(std::string path, std::chrono::milliseconds interval = std::chrono::milliseconds(1000));
    ~RecoveryCopy();
    RecoveryCopy(const RecoveryCopy&) = delete;
    RecoveryCopy& operator=(const RecoveryCopy&) = delete;

    // The list's bytes as they stand now, to be written.
    void Keep(std::string bytes);
    // The list holds no unsaved change: the copy goes (what waited to be written is dropped).
    void Drop();
    // Waits until nothing waits to be written (for tests and the close).
    void Flush();
    // How many times the copy was written (not removed), for tests.
    int Writes() const;

private:
    void Work();

    const std::string path_; // the recovery copy's own name
    const std::chrono::milliseconds interval_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<std::string> pending_; // bytes to write next
    bool dropPending_ = false;           // the copy is to go
    bool busy_ = false;                  // the worker is writing or removing
    bool stop_ = false;
    int writes_ = 0;
    std::thread worker_; // last: starts once the rest is made
};
