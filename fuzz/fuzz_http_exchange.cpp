// The HTTP client's whole call against a server played from memory: status lines, heads,
// redirects, cookies, bodies and cuts as the fuzzer makes them, across up to ten
// connections, with or without a proxy. No socket is opened for it. Whatever the server
// sends, no control byte reaches the request line or a header line of a request, and every
// call ends with exactly one outcome: OnSuccess, OnFailure or an exception.
#include "FuzzCheck.h"

#include "net/MemoryStream.h"
#include "net/THttpClient.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

// One connection's bytes, then this line, then the next connection's.
constexpr std::string_view Separator = "\n=====\n";

bool CleanHead(const std::string& sent)
{
    const std::size_t end = sent.find("\r\n\r\n");
    if (end == std::string::npos) return sent.empty(); // nothing was sent at all
    for (std::size_t at = 0; at < end + 2;) {
        const std::size_t lineEnd = sent.find("\r\n", at);
        for (std::size_t i = at; i < lineEnd; ++i) {
            const auto c = static_cast<unsigned char>(sent[i]);
            if (c < 32 || c == 127) return false;
        }
        at = lineEnd + 2;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) return 0;
    const std::uint8_t options = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);

    // Each connection's bytes arrive in pieces of one size, with a pause between pieces.
    std::vector<std::vector<std::string>> connections;
    const std::size_t pieceSize = 1 + (options >> 3) * 5;
    for (std::size_t at = 0; at <= rest.size();) {
        std::size_t end = rest.find(Separator, at);
        if (end == std::string_view::npos) end = rest.size();
        std::vector<std::string> pieces;
        for (std::size_t p = at; p < end; p += pieceSize) {
            pieces.emplace_back(rest.substr(p, std::min(pieceSize, end - p)));
            if (options & 4) pieces.emplace_back();
        }
        connections.push_back(std::move(pieces));
        at = end + Separator.size();
    }

    // One client for the whole run (making one costs more than a call), set afresh each time.
    static THttpClient client;
    client.Host.clear();
    client.Port = 0;
    client.UseTls = false;
    client.HeaderInfo = THeaderInfo{};
    client.TimeOut = 10000;
    client.Proxy = (options & 1) ? "127.0.0.1" : "";
    client.ProxyPort = 3128;
    client.MaxBody = 4096;
    std::vector<std::shared_ptr<std::string>> sent;
    std::size_t next = 0;
    client.Transport = [&]() -> std::unique_ptr<ByteStream> {
        auto stream =
            std::make_unique<MemoryStream>(next < connections.size() ? connections[next] : std::vector<std::string>{},
                                           (options & 2) != 0 && next + 1 >= connections.size());
        ++next;
        sent.push_back(stream->Sent);
        return stream;
    };
    int outcomes = 0;
    client.OnSuccess = [&](THttpClient*, CmdType) { ++outcomes; };
    client.OnFailure = [&](THttpClient*, CmdType) { ++outcomes; };

    try {
        if (options & 0x40)
            client.Post("http://pad.example.com/submit.php?x=1", "padurl=http://pad.example.com/app.xml");
        else
            client.Get("http://pad.example.com/start.php?x=1");
    } catch (const std::exception&) {
        ++outcomes;
    }
    FUZZ_CHECK(outcomes == 1, "every call ends with exactly one outcome");
    FUZZ_CHECK(next <= THttpClient::MaxExchanges, "a call makes at most its exchanges");
    for (const auto& bytes : sent) FUZZ_CHECK(CleanHead(*bytes), "no control byte reaches a request's head");
    client.Transport = nullptr;
    return 0;
}
