#pragma once

#include "net/HttpUrl.h"
#include "net/THeaderList.h"
#include "net/TSockConnection.h"
#include "net/TunnelLayer.h"

#include <atomic>
#include <cstdint>
#include <fstream>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>

// The command of a request, as passed to OnSuccess and OnFailure.
enum CmdType {
    CmdGET = 0,
    CmdOPTIONS = 1,
    CmdHEAD = 2,
    CmdPOST = 3,
    CmdPUT = 4,
    CmdPATCH = 5,
    CmdCOPY = 6,
    CmdMOVE = 7,
    CmdDELETE = 8,
    CmdLINK = 9,
    CmdUNLINK = 10,
    CmdTRACE = 11,
    CmdWRAPPED = 12,
};

// "CmdGET", "CmdPOST", ...
const char* CmdTypeName(CmdType cmd);

// Optional request header values; all empty unless the caller sets them. The client sets
// Cookie itself when a redirect reply carries one.
struct THeaderInfo {
    std::string LocalMailAddress;
    std::string LocalProgram;
    std::string Cookie;
    std::string Referer;
    std::string UserId;
    std::string Password;
};

// Declared with the client for callers that want their own HTTP error type; the client
// itself reports reply codes through its events.
class HTTPException : public std::exception {
public:
    explicit HTTPException(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

class THttpClient;
using TResultEvent = std::function<void(THttpClient* Sender, CmdType Cmd)>;

// An HTTP/1.0 client: each request is one exchange on a fresh connection (request header,
// optional body, reply head, reply body until the server closes), repeated for redirects.
// Everything happens inside the caller's Get/Post/... call, on the caller's thread, with the
// connection's time-out and cancel rules; the whole call, redirects included, has
// CallTimeOuts times TimeOut. Reply codes are reported through OnSuccess (below
// 299) and OnFailure (above 399, and every reply that ends a call without an answer: a
// redirect chain longer than MaxExchanges, or a 299/303-399 reply); failures of the
// exchange itself are exceptions, and so is a reply that did not arrive whole (cut off by a
// reset, or ended before its blank line or its Content-Length). A server that closes without
// a word is an answer: OnSuccess with reply number 0. URLs and reply heads are taken apart by
// ParseUrl and ParseReplyHead, which never see a socket.
class THttpClient : public TSockConnection {
public:
    // The reply body kept in memory (InputFileMode false) never grows past this.
    static constexpr size_t MaxTextBody = 16u * 1024u * 1024u;
    // Nor does the reply head, in either mode.
    static constexpr size_t MaxHeaderText = 16u * 1024u * 1024u;
    // A call ends after this many exchanges.
    static constexpr int MaxExchanges = 10;
    // The longest request target sent (the path, or through a proxy the whole URL, escaped):
    // a longer one ends the call before it connects, with AddressTooLongText. Nothing is cut.
    static constexpr size_t MaxTargetLength = 8000;
    // A whole call (redirects included) may take this many times TimeOut; then it ends with
    // NoAnswerText and the limit in seconds ("No complete answer in 30 s").
    static constexpr int CallTimeOuts = 3;

    THttpClient();
    ~THttpClient() override;

    // InputFileMode false: the reply body. True: the name of the file that receives it.
    std::string Body = "Default.htm";
    // OutputFileMode false: the reply's status line and header lines. True: the name of the
    // file that receives them.
    std::string Header = "Head.txt";
    THeaderInfo HeaderInfo;
    bool InputFileMode = false;
    // True: the data argument of Post and the other commands with data names a file whose
    // contents are sent, and the reply head goes to the file named by Header.
    bool OutputFileMode = false;
    // True: "https://" URLs are taken (port 443, TLS with the server's certificate verified,
    // see TSockConnection::UseTls); false, the default, refuses them with UrlErrors::Secure.
    // Redirects may then move between http and https; a move from https to http drops the
    // Cookie header (HeaderInfo.Cookie is cleared), so nothing sent under TLS goes out plain.
    bool AllowHttps = false;
    // The most of a reply body kept in memory (InputFileMode false), at most MaxTextBody. A
    // longer body ends the call with BodyTooLargeText once MaxBody bytes are in: the rest is
    // never read, and Body keeps those first bytes.
    size_t MaxBody = MaxTextBody;

    TNotifyEvent OnAboutToSend;
    TResultEvent OnSuccess;
    TResultEvent OnFailure;
    THandlerEvent OnRedirect;
    TNotifyEvent OnAuthenticationNeeded;

    virtual void HTTPConnect();
    virtual void ParseURL();
    virtual void AssembleHTTPHeader();
    virtual void RemoveHeader();
    virtual void SendHTTP();
    virtual void Options(const std::string& URL);
    virtual void Get(const std::string& URL);
    virtual void Post(const std::string& URL, const std::string& Data);
    virtual void Put(const std::string& URL, const std::string& Data);
    virtual void Head(const std::string& URL);
    virtual void Patch(const std::string& URL, const std::string& Data);
    virtual void Delete(const std::string& URL);
    virtual void Trace(const std::string& URL, const std::string& Data);
    virtual void Copy(const std::string& URL, const std::string& Destination);
    virtual void Move(const std::string& URL, const std::string& Destination);
    virtual void Link(const std::string& URL, const std::string& Destination);
    virtual void UnLink(const std::string& URL, const std::string& Destination);
    virtual void Wrapped(const std::string& URL, const std::string& Data);
    void Abort() override;
    // Breaks the request off (from any thread, as the submission run does): the call in
    // progress ends with EAbortError(CanceledText) instead of reporting a reply it did not
    // read whole.
    void Disconnect() override;
    // Breaks off the call under way and every later one, for good: they end with
    // EAbortError(CanceledText), or a canceled lookup or connection when Connect is called
    // on its own. From any thread; for a client whose work is over (a stopped worker).
    void BreakOff();

    static constexpr const char* CanceledText = "Request Canceled";
    // The error of a reply that ended before its head did, or before the length its head
    // announced (ESockError); a reset by the server ends it with the reset's socket error.
    static constexpr const char* CutShortText = TunnelLayer::CutShortText;
    // An https request through a proxy goes through "CONNECT host:port"; a proxy that answers
    // it with anything but 2xx ends the call with this text and its status line.
    static constexpr const char* ProxyRefusedText = TunnelLayer::RefusedText;
    // The error of a body longer than MaxBody, followed by the limit ("16 MiB", "1000 bytes").
    static constexpr const char* BodyTooLargeText = "Reply body exceeds ";
    static constexpr const char* AddressTooLongText = "Request address too long";
    static constexpr const char* NoAnswerText = "No complete answer in ";

    // State of the current (or last) exchange.
    const std::string& URL() const { return url_; }
    const std::string& Path() const { return path_; }
    const THeaderList& RequestHeader() const { return headerList_; }
    CmdType Command() const { return cmd_; }
    const std::string& ReplyCookie() const { return cookie_; }
    const std::string& ReplyLocation() const { return location_; }
    // The last reply's body was longer than MaxBody.
    bool BodyTooLarge() const { return bodyTooLarge_; }

protected:
    void RunCommand(CmdType cmd, const std::string& url);
    bool CallBrokenOff() const override;

private:
    void AppendHeaderText(const std::string& line, std::ofstream* file, size_t& total);
    void FireResult(const TResultEvent& event);
    // Reads the body until the server closes (into Body, or the file it names).
    void ReadBody();
    // Bytes of the body received.
    int64_t BodyBytes() const;
    // "http://host[:port]" of the current exchange, for addresses that name a path alone.
    std::string Origin() const;
    // One exchange of the call (connect, request, reply); sets `reply` and whether the call
    // ends here. Failures raise; the caller closes.
    void Exchange(int exchange, int& reply, bool& ended);

    std::string url_;
    std::string path_;
    std::string data_;
    std::string destination_;
    THeaderList headerList_;
    std::string cookie_;
    std::string location_;
    CmdType cmd_ = CmdGET;
    bool encodeData_ = true;
    bool headCutShort_ = false; // the last reply head began but did not end
    bool bodyTooLarge_ = false;
    // A Disconnect from another thread breaks off the call under way for the rest of that
    // call, whenever it arrives; breakMutex_ orders it with the start of a call, which
    // forgets a Disconnect that came before it (unless the client was broken off for good).
    std::mutex breakMutex_;
    std::atomic<bool> brokenOff_{false};
    std::atomic<bool> brokenForGood_{false};
};
