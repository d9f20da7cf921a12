#pragma once

#include "net/ProxyRoute.h"
#include "submit/CancelToken.h"
#include "submit/Work.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class Synchronize;
class TDownload;
class THttpClient;
class WorkerGate;

// Hears what a worker did. Every call comes on the owner thread, one at a time (the worker
// waits meanwhile), so the owner's state needs no lock of its own.
class TDownloadOwner {
public:
    virtual ~TDownloadOwner() = default;
    // The connection is open: a submission is under way, or a PAD test's server answered.
    virtual void DownloadConnected(TDownload& worker) = 0;
    // A submission's host name did not resolve; the client looks it up once more.
    virtual void DownloadInvalidHost(TDownload& worker) = 0;
    // The worker's one result, its last call. The worker's thread ends right after it; the
    // owner joins and frees the worker at any later time.
    virtual void DownloadEnded(TDownload& worker, const WorkResult& result) = 0;
};

// One request (see WorkRequest) on a thread of its own. The creator (the owner thread) sets
// the client's settings and the request, then calls Resume; the thread makes its own HTTP
// client, does the work, runs a download's checks when asked for them, and reports through
// Synchronize (or its owner's WorkerGate). The client is released when the request is over,
// and a PAD test closes its connection as soon as it is made.
//
// Exactly one DownloadEnded per worker, whatever happens. Terminate (any thread) cancels
// the worker's token: the request breaks off at once, its result says Cancelled, and its
// owner ignores whatever it still reports.
class TDownload {
public:
    static constexpr int DefaultTimeOut = 10000;

    TDownload(TDownloadOwner& owner, Synchronize& sync);
    virtual ~TDownload();
    TDownload(const TDownload&) = delete;
    TDownload& operator=(const TDownload&) = delete;

    // The client's settings, set by whoever makes the worker, before Resume.
    int TimeOut = DefaultTimeOut; // of each wait of the client, in ms
    std::string Proxy;            // the client's proxy, when set
    int ProxyPort = 0;
    // When set, the proxy for the request's address instead (the command line's choice, which
    // may depend on the host); a PAD test connects directly.
    std::shared_ptr<const ProxyRoute> Route;
    std::string CaFile;      // an extra certificate authority file for https (PEM)
    bool AllowHttps = false; // a submission may go to an https site (tests and downloads always may)

    // What to do, and the owner's own mark for it: set before Resume, read-only afterwards.
    WorkRequest Request;
    std::uint64_t Tag = 0;
    // Owner thread, before Resume: the worker reports through `gate` instead of directly.
    void SetGate(std::shared_ptr<WorkerGate> gate) { gate_ = std::move(gate); }

    // What became of the request: complete from DownloadEnded on (owner thread).
    const WorkResult& Result() const { return result_; }

    // Owner thread.
    virtual void Resume();
    void Terminate() { token_.Cancel(); }
    bool Terminated() const { return token_.Cancelled(); }
    // DownloadEnded has been called: the thread is over or about to be, Join returns at once.
    bool Ended() const { return ended_; }
    // A cancelled worker past its last network step: what it still does (a download's
    // checks) touches nothing of its owner's but its last report, and ends on its own.
    bool PastNetwork() const { return pastNetwork_.load(); }
    void Join();
    // Gives up a worker whose thread may still run: it is freed now when its thread is over,
    // else by its thread when that ends. The owner must be sure it never hears of it again
    // (its gate closed, or the worker cancelled).
    static void Abandon(std::unique_ptr<TDownload> worker);

protected:
    // Owner thread: records the end and tells the owner. The real worker calls it through
    // Synchronize as its last step; stand-ins in tests call it directly.
    void Finish(WorkResult result);

private:
    void Execute();
    bool Report(const std::function<void()>& fn);
    void Perform(THttpClient& http, const SubmissionRequest& request, WorkResult& result);
    void Perform(THttpClient& http, const PadTestRequest& request, WorkResult& result);
    void Perform(THttpClient& http, const PadDownloadRequest& request, WorkResult& result);
    void Check(const PadDownloadRequest& request, WorkResult& result) const;

    TDownloadOwner& owner_;
    Synchronize& sync_;
    std::shared_ptr<WorkerGate> gate_;
    CancelToken token_;
    std::thread thread_;
    WorkResult result_;
    bool ended_ = false;
    std::atomic<bool> pastNetwork_{false};
    std::mutex lifeMutex_; // orders Abandon with the end of the thread
    bool threadOver_ = false;
    bool abandoned_ = false;
};

// The server a PAD link names: "http://host[:port]/..." gives that host and port (80 by
// default), "https://..." port 443 and TLS, a link without a scheme is read up to its
// first "/".
struct PadServer {
    std::string Host;
    int Port = 80;
    bool Secure = false;
    static PadServer Of(const std::string& link);
};
