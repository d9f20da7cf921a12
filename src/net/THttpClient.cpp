#include "net/THttpClient.h"

#include "net/TMimeCoder.h"
#include "net/TUrlCoder.h"
#include "net/TextWords.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>

namespace {

std::string Lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Upper(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Control bytes, the blank and DEL would end or split a header line; they travel as "%XX".
// Every other byte goes as it stands.
std::string EscapeLineBreakers(const std::string& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 32 || c == 127) {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 0x0F];
        } else {
            out += ch;
        }
    }
    return out;
}

// Header values other than the URL's (cookies from a reply, the caller's fields) lose any
// CR or LF, so that they stay on their own line.
std::string OneLine(std::string value)
{
    std::erase_if(value, [](char c) { return c == '\r' || c == '\n'; });
    return value;
}

// A line without its line end (LF, or CR LF).
std::string WithoutLineEnd(std::string line)
{
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

// A port written in a URL: decimal digits only.
int ParsePort(const std::string& word)
{
    if (word.empty() || word.size() > 9 ||
        !std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; }))
        throw std::invalid_argument("'" + word + "' is not a valid integer value");
    return std::stoi(word);
}

// The reply number of a status line's second word: a decimal number that fits 16 bits
// signed, otherwise 0.
int ParseReplyNumber(const std::string& word)
{
    if (word.empty() || word.size() > 5 ||
        !std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    const int n = std::stoi(word);
    return n <= 32767 ? n : 0;
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
    for (int exchange = 1;; ++exchange) {
        if (brokenOff_) throw EAbortError(CanceledText);
        ParseURL();
        AssembleHTTPHeader();
        if (OnAboutToSend) OnAboutToSend(this);

        int reply = 0;
        bool ended = false; // the call ends here, reported through OnFailure
        try {
            Connect();
            SendHTTP();
            FReplyNumber = 0;
            RemoveHeader();
            reply = ReplyNumber();
            if (InputFileMode) {
                CaptureFile(Body);
            } else {
                CaptureString(Body, static_cast<int64_t>(MaxTextBody));
                if (Body.size() == MaxTextBody) {
                    // Full: one byte more (rather than the server's close) means too long.
                    std::string more;
                    CaptureString(more, 1);
                    if (!more.empty()) throw ESockError("Reply body exceeds 16 MiB");
                }
            }
            // A reply cut short by a Disconnect of ours is no reply.
            if (brokenOff_) throw EAbortError(CanceledText);
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
        } catch (...) {
            try {
                TSockConnection::Disconnect();
            } catch (...) {
                // The first failure is the one the caller hears about.
            }
            // A request broken off by a Disconnect of ours fails wherever it was (a send on
            // the closed socket, a lookup or connection cut short): it was canceled.
            if (brokenOff_) throw EAbortError(CanceledText);
            throw;
        }
        TSockConnection::Disconnect();

        if (ended) return;
        if (reply >= 300 && reply <= 398) {
            bool handled = false;
            if (!cookie_.empty()) HeaderInfo.Cookie = cookie_;
            if (OnRedirect) OnRedirect(this, handled);
            if (handled) return;
            // A bare file name is taken from the server's root, on the port it came from. No
            // location at all stays empty and ends the call as "Empty URL".
            if (!url_.empty() && url_.find('/') == std::string::npos)
                url_ = "http://" + Host + (Port == 80 ? std::string() : ":" + std::to_string(Port)) + "/" + url_;
        }
        if (reply == 401 && OnAuthenticationNeeded) OnAuthenticationNeeded(this);
        if (reply < 299 || reply > 399) return;
    }
}

void THttpClient::FireResult(const TResultEvent& event)
{
    if (event) event(this, cmd_);
}

void THttpClient::ParseURL()
{
    const std::string& url = url_;
    if (url.empty()) throw std::runtime_error("Empty URL");
    if (Port == 0) Port = 80;

    std::string path;
    if (url.find("//") != std::string::npos)
        path = url.substr(std::min(NthPos(url, '/', 3) - 1, url.size()));
    else if (const size_t slash = url.find('/'); slash != std::string::npos)
        path = url.substr(slash);
    path = EscapeLineBreakers(path.substr(0, MaxPathLength));

    if (url.find(':') != std::string::npos) {
        const std::string scheme = Lower(NthWord(url, ':', 1));
        if (scheme == "https") throw std::runtime_error("HTTP Secure Socket is not supported");
        Port = scheme == "gopher" ? 70 : scheme == "ftp" ? 21 : 80;
    }

    std::string host;
    if (url.find("//") != std::string::npos)
        host = NthWord(url, '/', 3);
    else if (url[0] != '/')
        host = NthWord(url, '/', 1);
    if (const size_t colon = host.find(':'); colon != std::string::npos) {
        Port = ParsePort(NthWord(host, ':', 2));
        host.resize(colon);
    }
    if (!host.empty()) Host = host;

    if (path.empty()) {
        path = "/";
        // "http://host/" has no path of its own either; it keeps its one slash.
        if (url_.back() != '/') url_ += "/";
    }
    path_ = path;
}

void THttpClient::AssembleHTTPHeader()
{
    headerList_.Clear();
    const std::string target = Proxy.empty() ? path_ : EscapeLineBreakers(url_);
    headerList_.Add(CommandWord(cmd_) + target + " HTTP/1.0");
    const std::string host = EscapeLineBreakers(Host);
    if (!Proxy.empty()) {
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
    if (total > MaxHeaderText) throw ESockError("Reply header exceeds 16 MiB");
    if (file)
        file->write(line.data(), static_cast<std::streamsize>(line.size()));
    else
        Header += line;
}

void THttpClient::RemoveHeader()
{
    FExpectedTotal = 0;
    cookie_.clear();
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

    std::string line = ReadLn();
    if (!line.empty()) {
        FReplyNumber = static_cast<std::int16_t>(ParseReplyNumber(NthWord(WithoutLineEnd(line), ' ', 2)));
        AppendHeaderText(line, out, total);
    }
    for (;;) {
        if (TimeOut > 0 && std::chrono::steady_clock::now() - start >= headLimit)
            throw EAbortError("Socket readln aborted");
        line = ReadLn();
        const std::string name = NthWord(Upper(line), ' ', 1);
        if (name == "SET-COOKIE:")
            cookie_ = WithoutLineEnd(line.substr(std::min<size_t>(12, line.size()), MaxPathLength));
        else if (name == "LOCATION:")
            location_ = WithoutLineEnd(line.substr(std::min<size_t>(10, line.size()), MaxPathLength));
        else if (name == "CONTENT-LENGTH:") {
            int64_t length = 0;
            for (size_t i = 16; i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++i)
                length = length > (INT64_MAX - 9) / 10 ? INT64_MAX : length * 10 + (line[i] - '0');
            FExpectedTotal = length;
        }
        AppendHeaderText(line, out, total);
        if (line.empty() || line == "\n" || line == "\r\n") break;
    }
}
