#include "submit/TDownload.h"

#include "common/StatusWords.h"
#include "common/Synchronize.h"
#include "net/THttpClient.h"
#include "pad/PadXml.h"
#include "submit/WorkerGate.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <exception>
#include <variant>

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

void TDownload::Join()
{
    if (thread_.joinable()) thread_.join();
}

void TDownload::Abandon(std::unique_ptr<TDownload> worker)
{
    TDownload* w = worker.release();
    {
        std::lock_guard lock(w->lifeMutex_);
        if (w->thread_.joinable() && !w->threadOver_) {
            w->abandoned_ = true; // its thread frees it
            w->thread_.detach();
            return;
        }
    }
    delete w;
}

void TDownload::Finish(WorkResult result)
{
    result_ = std::move(result);
    ended_ = true;
    owner_.DownloadEnded(*this, result_);
}

bool TDownload::Report(const std::function<void()>& fn)
{
    if (gate_) return gate_->Call(fn);
    sync_.Call(fn);
    return true;
}

namespace {

// Runs one request of the client, keeping the error that ends it.
template <typename Fn>
void Guarded(WorkResult& result, Fn&& fn)
{
    try {
        fn();
    } catch (const ESockError& e) {
        result.Reason = e.what();
        result.ErrorKind = e.Kind();
        // A socket error's text starts with its code ("10054:Connection reset by peer").
        if (e.Kind() == NetError::SocketError)
            std::from_chars(result.Reason.data(), result.Reason.data() + result.Reason.size(), result.SocketCode);
    } catch (const std::exception& e) {
        // A lookup, connection or reply that failed without a word of its own ends as
        // "Failed"; the error is kept for the report, never shown as a message.
        result.Reason = e.what();
    } catch (...) {
        result.Reason = "Unknown error";
    }
}

} // namespace

void TDownload::Execute()
{
    LowerThisThreadsPriority();
    const auto start = std::chrono::steady_clock::now();
    WorkResult result;
    {
        THttpClient http;
        token_.SetBreaker([&http] { http.BreakOff(); });
        http.InputFileMode = false;
        http.TimeOut = TimeOut;
        http.Proxy = Proxy;
        http.ProxyPort = ProxyPort;
        if (Route) {
            const std::string* url = nullptr;
            if (const auto* submission = std::get_if<SubmissionRequest>(&Request)) url = &submission->Url;
            if (const auto* download = std::get_if<PadDownloadRequest>(&Request)) url = &download->PadLink;
            const ProxySetting proxy = url ? Route->For(*url) : ProxySetting{};
            http.Proxy = proxy.Host;
            http.ProxyPort = proxy.Port;
        }
        http.CaFile = CaFile;
        // The author's own PAD links may be https; the sites' scripts of a run stay plain HTTP.
        http.AllowHttps = !std::holds_alternative<SubmissionRequest>(Request) || AllowHttps;
        // Cancelled before it began: not even a connection is tried.
        if (!Terminated()) std::visit([&](const auto& request) { Perform(http, request, result); }, Request);
        result.ReplyCode = http.ReplyNumber();
        // With OutputFileMode false the client holds the reply head in Header.
        if (result.ReplyCode != 0) result.ReplyText = http.Header.substr(0, http.Header.find_first_of("\r\n"));
        token_.ClearBreaker();
    }
    result.ElapsedMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    pastNetwork_ = true;
    if (const auto* download = std::get_if<PadDownloadRequest>(&Request); download && !Terminated())
        Check(*download, result);
    if (Terminated()) result.Outcome = Outcome::Cancelled;

    // The last step. The owner frees this object only by joining this thread, so the lines
    // after the report still find it; an object its owner gave up is freed here.
    Report([this, &result] { Finish(std::move(result)); });
    bool abandoned = false;
    {
        std::lock_guard lock(lifeMutex_);
        threadOver_ = true;
        abandoned = abandoned_;
    }
    if (abandoned) delete this;
}

void TDownload::Perform(THttpClient& http, const SubmissionRequest& request, WorkResult& result)
{
    Outcome outcome = Outcome::Failed; // until a reply or a lookup says otherwise
    const bool get = request.Method == Method::Get;
    http.OnConnect = [this, &outcome](TSockConnection*) {
        outcome = Outcome::Failed; // an earlier Invalid no longer holds
        Report([this] { owner_.DownloadConnected(*this); });
    };
    http.OnInvalidHost = [this, &outcome](TSockConnection*, bool& handled) {
        handled = true; // the client looks the name up once more
        outcome = Outcome::Invalid;
        Report([this] { owner_.DownloadInvalidHost(*this); });
    };
    http.OnConnectionFailed = [&outcome](TSockConnection*) { outcome = Outcome::Failed; };
    http.OnSuccess = [&outcome, &request](THttpClient* client, CmdType cmd) {
        if (cmd != CmdGET && cmd != CmdPOST) return;
        outcome = client->Body.find(request.SuccessMarker) != std::string::npos ? Outcome::Ok : Outcome::NotAccepted;
    };
    http.OnFailure = [&outcome](THttpClient*, CmdType cmd) {
        if (cmd == CmdGET || cmd == CmdPOST) outcome = Outcome::Failed;
    };
    http.Host = request.Url;
    http.Header = request.Url;
    if (get || request.Method == Method::Post) {
        Guarded(result, [&] {
            if (get)
                http.Get(request.Url + "?" + request.Query);
            else
                http.Post(request.Url + "?" + request.Query, request.Query);
        });
    }
    result.Outcome = outcome;
    if (outcome == Outcome::NotAccepted) result.Body = std::move(http.Body); // what the site said instead is the reason
}

void TDownload::Perform(THttpClient& http, const PadTestRequest& request, WorkResult& result)
{
    const PadServer server = PadServer::Of(request.PadLink);
    bool answered = false;
    // An https PAD server answers only once its TLS handshake is through (Connect does it
    // after the connection is made): only then is it "Ok".
    http.OnConnect = [this, &answered, &server](TSockConnection*) {
        if (server.Secure) return;
        answered = true;
        Report([this] { owner_.DownloadConnected(*this); });
    };
    http.OnInvalidHost = [](TSockConnection*, bool& handled) { handled = true; };
    http.Host = server.Host;
    http.Header = request.PadLink;
    http.Port = server.Port;
    http.UseTls = server.Secure;
    Guarded(result, [&] {
        http.Connect();
        if (server.Secure) {
            answered = true;
            Report([this] { owner_.DownloadConnected(*this); });
        }
        http.Disconnect(); // the answer is known: nothing is sent, the connection goes
    });
    result.Outcome = answered ? Outcome::Ok : Outcome::Failed;
}

void TDownload::Perform(THttpClient& http, const PadDownloadRequest& request, WorkResult& result)
{
    http.Host = request.PadLink;
    http.Header = request.PadLink;
    // A PAD file is read no further than the largest one the checks take.
    http.MaxBody = PadXml::MaxBytes;
    Guarded(result, [&] {
        http.Get(request.PadLink);
        if (http.ReplyNumber() == 200) result.Body = std::move(http.Body);
    });
    result.Outcome = http.ReplyNumber() == 200 && result.Reason.empty() ? Outcome::Ok : Outcome::Failed;
}

void TDownload::Check(const PadDownloadRequest& request, WorkResult& result) const
{
    if (!request.Checks) return;
    const PadCheckInput& in = *request.Checks;
    std::vector<PadProblem> problems = WorkResult::ReplyProblems(result, request.PadLink);
    if (request.For == PadDownloadRequest::Use::Summary) {
        if (problems.empty())
            result.Summary = PadSummary::Of(result.Body, in.Categories, in.Rules);
        else
            result.Summary.Problems = std::move(problems);
        return;
    }
    result.Problems =
        problems.empty() ? PadValidation::Check(result.Body, request.PadLink, in.Categories, in.Rules) : problems;
}
