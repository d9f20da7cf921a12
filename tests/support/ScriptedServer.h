#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A TCP server for tests on 127.0.0.1 (ephemeral port), running on its own thread. Each
// accepted connection plays one script: a list of steps that read, send, wait, close or
// reset. The exact bytes received on each connection are recorded. Connections are served
// one after the other, in the order they arrive. The destructor stops everything at once,
// also a step that is waiting.
//
//   ScriptedServer server({ScriptedServer::ReadUntil("\r\n\r\n"),
//                          ScriptedServer::Send("HTTP/1.0 200 OK\r\n\r\nhello"),
//                          ScriptedServer::Close()});
//   ... connect to 127.0.0.1:server.Port() ...
//   EXPECT_EQ(server.Received(0), "GET / HTTP/1.0\r\n...");
class ScriptedServer {
public:
    struct Step {
        enum class Kind {
            ReadUntil,   // read until the bytes received so far end with `text`
            ReadBytes,   // read `count` more bytes
            ReadToClose, // read until the client closes its side
            Send,        // send `text`
            SendSlowly,  // send `text` in pieces of `count` bytes, `ms` apart
            Repeat,      // send `text` `count` times (a large reply without holding it whole)
            Wait,        // wait `ms` milliseconds (reading nothing)
            Hold,        // keep the connection open until the client closes or the server stops
            Close,       // close normally (FIN)
            Reset        // close with linger 0 (RST)
        };
        Kind kind;
        std::string text;
        std::size_t count = 0;
        int ms = 0;
    };
    using Script = std::vector<Step>;

    static Step ReadUntil(std::string marker) { return {Step::Kind::ReadUntil, std::move(marker), 0, 0}; }
    static Step ReadBytes(std::size_t n) { return {Step::Kind::ReadBytes, {}, n, 0}; }
    static Step ReadToClose() { return {Step::Kind::ReadToClose, {}, 0, 0}; }
    static Step Send(std::string bytes) { return {Step::Kind::Send, std::move(bytes), 0, 0}; }
    static Step SendSlowly(std::string bytes, std::size_t piece, int msApart)
    {
        return {Step::Kind::SendSlowly, std::move(bytes), piece, msApart};
    }
    static Step SendRepeated(std::string piece, std::size_t times)
    {
        return {Step::Kind::Repeat, std::move(piece), times, 0};
    }
    static Step Wait(int ms) { return {Step::Kind::Wait, {}, 0, ms}; }
    static Step Hold() { return {Step::Kind::Hold, {}, 0, 0}; }
    static Step Close() { return {Step::Kind::Close, {}, 0, 0}; }
    static Step Reset() { return {Step::Kind::Reset, {}, 0, 0}; }

    // Every connection plays `script` (a script that ends without Close or Reset closes
    // normally at its end).
    explicit ScriptedServer(Script script);
    // Connection i plays scripts[i]; connections beyond the list play the last script.
    explicit ScriptedServer(std::vector<Script> scripts);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    std::uint16_t Port() const { return port_; }
    // "127.0.0.1:port"
    std::string Address() const;
    // "http://127.0.0.1:port", the base of the URLs that reach this server
    std::string Url() const { return "http://" + Address(); }

    // Connections accepted so far.
    std::size_t Connections() const;
    // Waits (at most `limit`) until connection `index` has finished its script, then
    // returns the bytes it received. Returns what arrived so far when the limit passes.
    std::string Received(std::size_t index, std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) const;
    // Waits (at most `limit`) until `count` connections have finished their scripts.
    bool WaitFinished(std::size_t count, std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) const;

    // A port on 127.0.0.1 that refuses every connection (a socket bound there that never
    // listens, kept for the whole test run).
    static std::uint16_t RefusingPort();
    // A port on 127.0.0.1 where connection attempts get no answer at all and stay under way
    // (a listener whose queue is kept full), for connection time-outs.
    static std::uint16_t UnansweredPort();
    // A UDP port on 127.0.0.1 that takes datagrams and never answers: a name server that
    // keeps every lookup waiting.
    static std::uint16_t SilentUdpPort();

private:
    struct Record {
        std::string received;
        bool finished = false;
    };
    void Run();
    void Play(int fd, const Script& script, std::size_t index);
    int Readable(int fd, int timeoutMs);
    bool Pause(int ms); // false when the server stops meanwhile
    void Append(std::size_t index, const char* data, std::size_t n);

    std::vector<Script> scripts_;
    int listenFd_ = -1;
    int stopFd_ = -1;
    std::uint16_t port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Record> records_;
};
