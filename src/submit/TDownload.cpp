#include "submit/TDownload.h"

#include "common/StatusWords.h"
#include "common/Synchronize.h"
#include "net/THttpClient.h"
#include "pad/PadXml.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <exception>

namespace {

// One step below the normal priority: nice + 1 on this thread alone.
void LowerThisThreadsPriority()
{
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, tid);
    if (errno == 0) ::setpriority(PRIO_PROCESS, tid, nice + 1);
}

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    for (size_t i = 0; prefix[i]; ++i)
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

} // namespace

PadServer PadServer::Of(const std::string& link)
{
    PadServer server;
    std::string rest = link;
    if (StartsWithNoCase(link, "http://")) {
        rest = link.substr(7);
    } else if (StartsWithNoCase(link, "https://")) {
        rest = link.substr(8);
        server.Port = 443;
        server.Secure = true;
    }
    std::string authority = rest.substr(0, rest.find_first_of("/?#"));
    if (const size_t at = authority.rfind('@'); at != std::string::npos) authority.erase(0, at + 1);
    const size_t colon = authority.find(':');
    server.Host = authority.substr(0, colon);
    if (colon != std::string::npos) {
        const std::string digits = authority.substr(colon + 1);
        int port = 0;
        bool ok = !digits.empty() && digits.size() <= 5;
        for (char c : digits) {
            if (!std::isdigit(static_cast<unsigned char>(c))) ok = false;
            port = port * 10 + (c - '0');
        }
        // A port that is no port leaves the host unreachable rather than guessed at.
        server.Port = ok && port > 0 && port <= 65535 ? port : 0;
    }
    return server;
}

TDownload::TDownload(TDownloadOwner& owner, Synchronize& sync) : owner_(owner), sync_(sync)
{}

TDownload::~TDownload()
{
    Join();
}

void TDownload::Resume()
{
    if (!thread_.joinable()) thread_ = std::thread([this] { Execute(); });
}

void TDownload::Terminate()
{
    terminated_ = true;
    std::lock_guard lock(httpMutex_);
    if (http_) http_->BreakOff();
}

void TDownload::Join()
{
    if (thread_.joinable()) thread_.join();
}

void TDownload::Finish(const std::string& word)
{
    ended_ = true;
    owner_.DownloadEnded(*this, word);
}

void TDownload::Execute()
{
    LowerThisThreadsPriority();
    const auto start = std::chrono::steady_clock::now();
    std::string word;
    {
        THttpClient http;
        {
            std::lock_guard lock(httpMutex_);
            http_ = &http;
            if (terminated_) http.BreakOff();
        }
        Perform(http, word);
        std::lock_guard lock(httpMutex_);
        http_ = nullptr;
    }
    ElapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    // The last step: nothing of this object is touched once the owner has heard of the end.
    sync_.Call([this, &word] { Finish(word); });
}

void TDownload::Perform(THttpClient& http, std::string& word)
{
    const bool submit = Mode == SubmitAuto;
    const bool check = Mode == CheckProducts;
    const bool request = submit && (Method == "GET" || Method == "POST");

    // An https PAD server answers only once its TLS handshake is through (Connect does it
    // after the connection is made): only then is it "Ok".
    const bool secureCheck = check && PadServer::Of(Url).Secure;
    http.OnConnect = [this, &word, check, submit, secureCheck](TSockConnection*) {
        if (secureCheck) return;
        if (check) word = StatusWords::Ok;
        if (submit) word = StatusWords::Connected; // an earlier "Invalid" no longer holds
        sync_.Call([this] { owner_.DownloadConnected(*this); });
    };
    http.OnInvalidHost = [this, &word, submit](TSockConnection*, bool& handled) {
        handled = true; // the client looks the name up once more
        if (!submit) return;
        word = StatusWords::Invalid;
        sync_.Call([this] { owner_.DownloadInvalidHost(*this); });
    };
    http.OnConnectionFailed = [&word, submit](TSockConnection*) {
        if (submit) word = StatusWords::Failed;
    };
    http.OnSuccess = [this, &word, submit](THttpClient* client, CmdType cmd) {
        if (!submit || (cmd != CmdGET && cmd != CmdPOST)) return;
        word = client->Body.find(SuccessMarker) != std::string::npos ? StatusWords::Ok : StatusWords::NotAccepted;
    };
    http.OnFailure = [&word, submit](THttpClient*, CmdType cmd) {
        if (submit && (cmd == CmdGET || cmd == CmdPOST)) word = StatusWords::Failed;
    };

    http.InputFileMode = false;
    http.Host = Url;
    http.Header = Url;
    http.TimeOut = TimeOut;
    http.Proxy = Proxy;
    http.ProxyPort = ProxyPort;
    // The author's own PAD links may be https; the sites' scripts of a run stay plain HTTP.
    http.AllowHttps = !submit || AllowHttps;
    http.CaFile = CaFile;
    try {
        if (check) {
            const PadServer server = PadServer::Of(Url);
            http.Host = server.Host;
            http.Port = server.Port;
            http.UseTls = server.Secure;
            http.Connect();
            if (secureCheck && !http.Proxy.empty()) http.OpenTunnel();
            if (secureCheck) {
                word = StatusWords::Ok;
                sync_.Call([this] { owner_.DownloadConnected(*this); });
            }
            http.Disconnect(); // the answer is known: nothing is sent, the connection goes
        } else if (Mode == ValidatePad) {
            // A PAD file is read no further than the largest one the check takes.
            http.MaxBody = PadXml::MaxBytes;
            http.Get(Url);
            if (http.ReplyNumber() == 200) Reply = std::move(http.Body);
        } else if (request && Method == "GET") {
            http.Get(Url + "?" + Query);
        } else if (request) {
            http.Post(Url + "?" + Query, Query);
        }
    } catch (const ESockError& e) {
        ErrorText = e.what();
        ErrorKind = e.Kind();
    } catch (const std::exception& e) {
        // A lookup, connection or reply that failed without a word of its own ends as
        // "Failed" below; the error is kept for the run's report, never shown as a message.
        ErrorText = e.what();
    } catch (...) {
        ErrorText = "Unknown error";
    }
    ReplyCode = http.ReplyNumber();
    ReplyTooLarge = http.BodyTooLarge();
    if (submit && (word.empty() || word == StatusWords::Connected)) word = StatusWords::Failed;
}
