#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// An HTTP proxy for tests and benchmarks on 127.0.0.1 (ephemeral port), on a thread of its
// own. It reads each request whole (the head, then the body its Content-Length announces),
// records it, and answers as the rule says for its first line ("GET http://site.example/a.php?x
// HTTP/1.0", the absolute address a client sends a proxy): a reply sent at once and the
// connection closed, no answer at all (the connection is kept until the client closes it or
// the proxy stops), or a reset. Any number of connections at once; nothing is forwarded.
//
//   ScriptedProxy proxy([](const std::string& line) {
//       return line.find("bad.example") != std::string::npos ? ScriptedProxy::Reset()
//                                                            : ScriptedProxy::Reply("HTTP/1.0 200 OK\r\n\r\nok");
//   });
//
// The rule runs on the proxy's thread.
class ScriptedProxy {
public:
    struct Answer {
        enum class Kind { Reply, Hold, Reset };
        Kind kind;
        std::string text;
    };
    static Answer Reply(std::string text) { return {Answer::Kind::Reply, std::move(text)}; }
    static Answer Hold() { return {Answer::Kind::Hold, {}}; }
    static Answer Reset() { return {Answer::Kind::Reset, {}}; }
    using Rule = std::function<Answer(const std::string& requestLine)>;

    // keepRequests false: only counted (a benchmark's hundreds of thousands).
    explicit ScriptedProxy(Rule rule, bool keepRequests = true);
    ~ScriptedProxy();
    ScriptedProxy(const ScriptedProxy&) = delete;
    ScriptedProxy& operator=(const ScriptedProxy&) = delete;

    std::uint16_t Port() const { return port_; }
    // "127.0.0.1:port", as --proxy takes it
    std::string Address() const;

    // Whole requests read so far, in the order they were complete.
    std::size_t Count() const;
    std::vector<std::string> Requests() const;
    // Their first lines.
    std::vector<std::string> RequestLines() const;
    // Waits (at most `limit`) until `count` requests have come.
    bool WaitCount(std::size_t count, std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) const;

private:
    void Run();

    Rule rule_;
    bool keep_;
    int listenFd_ = -1;
    int stopFd_ = -1;
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::size_t count_ = 0;
    std::vector<std::string> requests_;
    std::thread thread_;
};
