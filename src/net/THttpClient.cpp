#include "net/THttpClient.h"

#include "net/HttpUrl.h"
#include "net/ReplyHead.h"
#include "net/TMimeCoder.h"
#include "net/TUrlCoder.h"
#include "net/WinsockMessage.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

namespace {

// Header values other than the URL's (cookies from a reply, the caller's fields) lose every
// control byte, so that they stay on their own line and carry no NUL.
std::string OneLine(std::string value)
{
    std::erase_if(value, [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c < 32 || c == 127;
    });
    return value;
}

bool HasData(CmdType cmd)
{
    switch (cmd) {
    case CmdPOST:
    case CmdPUT:
    case CmdPATCH:
    case CmdLINK:
    case CmdUNLINK:
    case CmdTRACE:
    case CmdWRAPPED: return true;
    default: return false;
    }
}

const char* CommandWord(CmdType cmd)
{
    switch (cmd) {
    case CmdGET: return "GET ";
    case CmdOPTIONS: return "OPTIONS ";
    case CmdHEAD: return "HEAD ";
    case CmdPOST: return "POST ";
    case CmdPUT: return "PUT ";
    case CmdPATCH: return "PATCH ";
    case CmdCOPY: return "COPY ";
    case CmdMOVE: return "MOVE ";
    case CmdDELETE: return "DELETE ";
    case CmdLINK: return "LINK ";
    case CmdUNLINK: return "UNLINK ";
    case CmdTRACE: return "TRACE ";
    case CmdWRAPPED: return "WRAPPED ";
    }
    return "GET ";
}

} // namespace

const char* CmdTypeName(CmdType cmd)
{
    switch (cmd) {
    case CmdGET: return "CmdGET";
    case CmdOPTIONS: return "CmdOPTIONS";
    case CmdHEAD: return "CmdHEAD";
    case CmdPOST: return "CmdPOST";
    case CmdPUT: return "CmdPUT";
    case CmdPATCH: return "CmdPATCH";
    case CmdCOPY: return "CmdCOPY";
    case CmdMOVE: return "CmdMOVE";
    case CmdDELETE: return "CmdDELETE";
    case CmdLINK: return "CmdLINK";
    case CmdUNLINK: return "CmdUNLINK";
    case CmdTRACE: return "CmdTRACE";
    case CmdWRAPPED: return "CmdWRAPPED";
    }
    return "CmdGET";
}

THttpClient::THttpClient() = default;

THttpClient::~THttpClient() = default;

// ---- commands -------------------------------------------------------------------------

void THttpClient::RunCommand(CmdType cmd, const std::string& url)
{
    {
        std::lock_guard lock(breakMutex_);
        brokenOff_ = brokenForGood_.load();
    }
    url_ = url;
    cmd_ = cmd;
    HTTPConnect();
}

void THttpClient::Get(const std::string& URL)
{
    RunCommand(CmdGET, URL);
}

void THttpClient::Post(const std::string& URL, const std::string& Data)
{
    if (encodeData_ && !OutputFileMode) {
        TUrlCoder coder;
        data_ = coder.URLEncode(Data);
    } else {
        data_ = Data;
    }
    RunCommand(CmdPOST, URL);
}

void THttpClient::Options(const std::string& URL)
{
    RunCommand(CmdOPTIONS, URL);
}

void THttpClient::Head(const std::string& URL)
{
    RunCommand(CmdHEAD, URL);
}

void THttpClient::Delete(const std::string& URL)
{
    RunCommand(CmdDELETE, URL);
}

void THttpClient::Put(const std::string& URL, const std::string& Data)
{
    data_ = Data;
    RunCommand(CmdPUT, URL);
}

void THttpClient::Patch(const std::string& URL, const std::string& Data)
{
    data_ = Data;
    RunCommand(CmdPATCH, URL);
}

void THttpClient::Trace(const std::string& URL, const std::string& Data)
{
    data_ = Data;
    RunCommand(CmdTRACE, URL);
}

void THttpClient::Wrapped(const std::string& URL, const std::string& Data)
{
    data_ = Data;
    RunCommand(CmdWRAPPED, URL);
}

void THttpClient::Copy(const std::string& URL, const std::string& Destination)
{
    destination_ = Destination;
    RunCommand(CmdCOPY, URL);
}

void THttpClient::Move(const std::string& URL, const std::string& Destination)
{
    destination_ = Destination;
    RunCommand(CmdMOVE, URL);
}

void THttpClient::Link(const std::string& URL, const std::string& Destination)
{
    destination_ = Destination;
    data_ = "Send.dat";
    RunCommand(CmdLINK, URL);
}

void THttpClient::UnLink(const std::string& URL, const std::string& Destination)
{
    destination_ = Destination;
    data_ = "Send.dat";
    RunCommand(CmdUNLINK, URL);
}

void THttpClient::Disconnect()
{
    {
        std::lock_guard lock(breakMutex_);
        brokenOff_ = true;
    }
    TSockConnection::Disconnect();
}

void THttpClient::BreakOff()
{
    {
        std::lock_guard lock(breakMutex_);
        brokenForGood_ = true;
    }
    Disconnect();
}

bool THttpClient::CallBrokenOff() const
{
    return brokenOff_ || brokenForGood_;
}

void THttpClient::Abort()
{
    FLookupDone = true;
    Cancel();
}

// ---- the exchange ---------------------------------------------------------------------

void THttpClient::HTTPConnect()
{
    // The whole call, redirects included, has CallTimeOuts times the time-out of one wait.
    const std::int64_t callLimitMs = TimeOut > 0 ? std::int64_t{CallTimeOuts} * TimeOut : 0;
    struct CallLimit {
        THttpClient& c;
        CallLimit(THttpClient& client, std::int64_t ms) : c(client)
        {
            if (ms > 0) c.SetCallDeadline(TThreadTimer::Clock::now() + std::chrono::milliseconds(ms));
        }
        ~CallLimit() { c.SetCallDeadline(std::nullopt); }
    } callLimit(*this, callLimitMs);

    for (int exchange = 1;; ++exchange) {
        if (brokenOff_) throw EAbortError(CanceledText);
        const bool wasSecure = exchange > 1 && UseTls;
        if (exchange > 1) {
            // What the caller reads after the call is the last hop's, also when it fails early.
            FReplyNumber = 0;
            FExpectedTotal = 0;
            if (!OutputFileMode) Header.clear();
            if (!InputFileMode) Body.clear();
        }
        ParseURL();
        // A redirect from https to http: nothing of the TLS exchange goes out in the clear.
        if (wasSecure && !UseTls) HeaderInfo.Cookie.clear();
        AssembleHTTPHeader();
        if (OnAboutToSend) OnAboutToSend(this);

        int reply = 0;
        bool ended = false; // the call ends here, reported through OnFailure
        try {
            if (CallDeadlinePassed()) throw EAbortError(CanceledText, NetError::TimedOut);
            Exchange(exchange, reply, ended);
        } catch (...) {
            try {
                TSockConnection::Disconnect();
            } catch (...) {
                // The first failure is the one the caller hears about.
            }
            // A request broken off by a Disconnect of ours fails wherever it was (a send on
            // the closed socket, a lookup or connection cut short): it was canceled.
            if (brokenOff_) throw EAbortError(CanceledText);
            if (CallDeadlinePassed()) {
                const std::int64_t tenths = callLimitMs / 100;
                throw ESockError(NoAnswerText + std::to_string(tenths / 10) +
                                     (tenths % 10 ? "." + std::to_string(tenths % 10) : std::string()) + " s",
                                 NetError::TimedOut);
            }
            throw;
        }
        TSockConnection::Disconnect();

        if (ended) return;
        if (reply >= 300 && reply <= 398) {
            bool handled = false;
            if (!cookie_.empty()) HeaderInfo.Cookie = cookie_;
            if (OnRedirect) OnRedirect(this, handled);
            if (handled) return;
            // A bare file name is taken from the server's root, and a path from the server, on
            // the port it came from. No location at all stays empty and ends the call as
            // "Empty URL".
            if (!url_.empty() && url_.find('/') == std::string::npos)
                url_ = Origin() + "/" + url_;
            else if (!url_.empty() && url_[0] == '/' && url_.compare(0, 2, "//") != 0)
                url_ = Origin() + url_;
        }
        if (reply == 401 && OnAuthenticationNeeded) OnAuthenticationNeeded(this);
        if (reply < 299 || reply > 399) return;
    }
}

void THttpClient::Exchange(int exchange, int& reply, bool& ended)
{
    Connect(); // through a proxy's tunnel and TLS, as the URL and Proxy ask
    SendHTTP();
    FReplyNumber = 0;
    RemoveHeader();
    reply = ReplyNumber();
    // The server closed within the head: whatever the status line said, no reply came
    // whole. (A server that closes without a word still answers, with reply 0.)
    if (headCutShort_) throw ESockError(CutShortText, NetError::CutShort);
    ReadBody();
    // A reply cut short by a Disconnect of ours is no reply.
    if (brokenOff_) throw EAbortError(CanceledText);
    // Nor is a body shorter than its announced length. A HEAD reply, and replies 204
    // and 304, announce a length that they do not send.
    if (BodyBytes() < FExpectedTotal && cmd_ != CmdHEAD && reply != 204 && reply != 304)
        throw ESockError(CutShortText, NetError::CutShort);
    if (reply < 299) {
        FireResult(OnSuccess);
        StatusMessage(2, "Transaction Completed");
    } else if (reply > 399) {
        FireResult(OnFailure);
    } else if (reply >= 300 && reply <= 302 && exchange < MaxExchanges) {
        url_ = location_;
    } else {
        // A 299 or 303-399 reply would repeat the same request for ever, and a
        // redirect chain has run out of exchanges: the call ends without an answer.
        ended = true;
        FireResult(OnFailure);
    }
}

std::string THttpClient::Origin() const
{
    const int defaultPort = UseTls ? 443 : 80;
    return (UseTls ? "https://" : "http://") + Host +
           (Port == defaultPort ? std::string() : ":" + std::to_string(Port));
}

void THttpClient::FireResult(const TResultEvent& event)
{
    if (event) event(this, cmd_);
}

int64_t THttpClient::BodyBytes() const
{
    return InputFileMode ? FBytesReceived : static_cast<int64_t>(Body.size());
}

void THttpClient::ReadBody()
{
    bodyTooLarge_ = false;
    const size_t limit = std::min(MaxBody, MaxTextBody);
    try {
        if (InputFileMode) {
            CaptureFile(Body);
        } else {
            CaptureString(Body, static_cast<int64_t>(limit));
            if (Body.size() == limit) {
                // Full: one byte more (rather than the server's close) means too long.
                std::string more;
                CaptureString(more, 1);
                bodyTooLarge_ = !more.empty();
            }
        }
    } catch (const EAbortError&) {
        throw;
    } catch (const ESockError&) {
        // A reset after the whole announced body cut nothing off (servers that answer
        // before reading a request through reset the connection when they close it).
        if (FLastError != Winsock::WSAECONNRESET || FExpectedTotal <= 0 || BodyBytes() < FExpectedTotal) throw;
    }
    if (bodyTooLarge_) {
        constexpr size_t MiB = 1024u * 1024u;
        throw ESockError(BodyTooLargeText + (limit % MiB == 0 ? std::to_string(limit / MiB) + " MiB"
                                                              : std::to_string(limit) + " bytes"),
                         NetError::BodyTooLarge);
    }
}

void THttpClient::ParseURL()
{
    const HttpUrl parsed = ParseUrl(url_, AllowHttps);
    if (Port == 0) Port = 80;
    if (parsed.Port) {
        Port = *parsed.Port;
        // A URL with a scheme decides between plain and TLS; a path alone keeps the server's.
        UseTls = parsed.Secure;
    }
    if (!parsed.Host.empty()) Host = parsed.Host;
    url_ = parsed.Url;
    path_ = parsed.Path;
}

void THttpClient::AssembleHTTPHeader()
{
    headerList_.Clear();
    // Through a proxy a plain request names the whole URL; an https one goes through the
    // proxy's tunnel to the server itself and names the path, as without a proxy.
    const bool proxied = !Proxy.empty() && !UseTls;
    // A proxy is told the whole address, also when the URL names a path alone.
    const bool pathAlone = !url_.empty() && url_[0] == '/' && url_.compare(0, 2, "//") != 0;
    const std::string target = proxied ? EscapeRequestTarget(pathAlone ? Origin() + url_ : url_) : path_;
    if (target.size() > MaxTargetLength) throw ESockError(AddressTooLongText, NetError::AddressTooLong);
    headerList_.Add(CommandWord(cmd_) + target + " HTTP/1.0");
    const std::string host = EscapeRequestTarget(Host);
    if (proxied) {
        headerList_.Add("Proxy-Connection: Keep-Alive");
        headerList_.Add("Host: " + host);
    }
    headerList_.SetValue("Host", host);
    headerList_.Add("Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff");
    headerList_.Add("Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript");
    headerList_.SetValue("User-Agent", OneLine(HeaderInfo.LocalProgram));
    headerList_.SetValue("From", OneLine(HeaderInfo.LocalMailAddress));
    headerList_.SetValue("Cookie", OneLine(HeaderInfo.Cookie));
    headerList_.SetValue("Referer", OneLine(HeaderInfo.Referer));
    if (!HeaderInfo.UserId.empty() && !HeaderInfo.Password.empty()) {
        // A long name and password give several Base64 lines; the header takes them as one.
        const std::string encoded =
            OneLine(TMimeCoder::EncodeString(HeaderInfo.UserId + ":" + HeaderInfo.Password, uuMime));
        headerList_.SetValue("Authorization", "Basic " + encoded);
    }
    headerList_.Add("Content-type: application/x-www-form-urlencoded");
    if (cmd_ == CmdCOPY || cmd_ == CmdMOVE)
        headerList_.Add("URI-header: " + OneLine(destination_));
    else if (cmd_ == CmdLINK || cmd_ == CmdUNLINK)
        headerList_.Add("Link: " + OneLine(destination_));
    if (HasData(cmd_)) {
        uintmax_t size = data_.size();
        if (OutputFileMode) {
            std::error_code ec;
            size = std::filesystem::file_size(data_, ec);
            if (ec) throw std::runtime_error("Cannot read the file " + data_);
        }
        headerList_.Add("Content-Length: " + std::to_string(size));
    }
}

void THttpClient::SendHTTP()
{
    std::string head;
    for (const std::string& line : headerList_.Lines()) head += line + "\r\n";
    Write(head);
    Writeln("");
    if (HasData(cmd_)) {
        if (OutputFileMode)
            SendFile(data_);
        else
            Write(data_);
    }
}

void THttpClient::AppendHeaderText(const std::string& line, std::ofstream* file, size_t& total)
{
    total += line.size();
    if (total > MaxHeaderText) throw ESockError("Reply header exceeds 16 MiB", NetError::HeadTooLarge);
    if (file)
        file->write(line.data(), static_cast<std::streamsize>(line.size()));
    else
        Header += line;
}

void THttpClient::RemoveHeader()
{
    FExpectedTotal = 0;
    cookie_.clear();
    headCutShort_ = false;
    std::ofstream file;
    if (OutputFileMode) {
        file.open(Header, std::ios::binary | std::ios::trunc);
        if (!file) throw std::runtime_error("Cannot create the file " + Header);
    } else {
        Header.clear();
    }
    std::ofstream* out = OutputFileMode ? &file : nullptr;
    size_t total = 0;
    // Each line has TimeOut to arrive, and so has the head as a whole: a server that drips
    // header lines cannot hold the call for ever.
    const auto start = std::chrono::steady_clock::now();
    const auto headLimit = std::chrono::milliseconds(TimeOut);

    std::string head; // as it came, for the parser
    for (bool statusLine = true;; statusLine = false) {
        if (!statusLine && TimeOut > 0 && std::chrono::steady_clock::now() - start >= headLimit)
            throw EAbortError("Socket readln aborted", NetError::TimedOut);
        std::string line;
        try {
            ReadLnInto(line);
        } catch (const EAbortError&) {
            AppendHeaderText(line, out, total); // what arrived of the line stays
            throw;
        }
        AppendHeaderText(line, out, total);
        head += line;
        if (statusLine) FReplyNumber = static_cast<std::int16_t>(ParseReplyHead(line).ReplyNumber);
        // The server closed (nothing more, or a line without its end), or the head is over.
        if (line.empty() || line.back() != '\n' || (!statusLine && EndsReplyHead(line))) break;
    }
    const ReplyHead parsed = ParseReplyHead(head);
    FReplyNumber = static_cast<std::int16_t>(parsed.ReplyNumber);
    if (parsed.Cookie) cookie_ = *parsed.Cookie;
    if (parsed.Location) location_ = *parsed.Location;
    if (parsed.ContentLength) FExpectedTotal = *parsed.ContentLength;
    headCutShort_ = !head.empty() && !parsed.Complete;
}
