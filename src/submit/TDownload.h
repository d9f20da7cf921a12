#pragma once

#include "net/ESockError.h"

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

// Hears what a worker did. Every call comes on the owner thread, one at a time (the worker
// waits meanwhile), so the owner's state needs no lock of its own.
class TDownloadOwner {
public:
    virtual ~TDownloadOwner() = default;
    // The connection is open: the request is under way, or a PAD test's server answered.
    virtual void DownloadConnected(TDownload& worker) = 0;
    // The host name did not resolve; the client looks it up once more.
    virtual void DownloadInvalidHost(TDownload& worker) = 0;
    // The worker's one outcome, its last call: "Ok", "X", "Failed" or "Invalid" for a
    // submission; for a PAD test "Ok" when it connected, "" otherwise. The worker's thread
    // ends right after it; the owner joins and frees the worker at any later time.
    virtual void DownloadEnded(TDownload& worker, const std::string& word) = 0;
};

// One network operation on a thread of its own: a submission request of a run (mode "Submit
// Auto") or a connection test of a PAD link's server (mode "Check Products"). The creator
// (the owner thread) fills the fields and calls Resume; the thread makes its own HTTP client,
// runs the operation and reports through Synchronize. The client is released when the
// operation is over, and a PAD test closes its connection as soon as it is made.
//
// Exactly one DownloadEnded per worker, whatever happens: a request that ends by an error
// with no reply (a time-out, a reset) ends as "Failed"; a host that failed its first lookup
// and resolved on the second ends with the word of the reply. Terminate (owner thread)
// breaks the operation off at once; the owner then ignores what the worker still reports.
class TDownload {
public:
    static constexpr const char* SubmitAuto = "Submit Auto";
    static constexpr const char* CheckProducts = "Check Products";
    static constexpr const char* ValidatePad = "Validate PAD"; // GET the PAD link, keep a 200 reply's body
    static constexpr int DefaultTimeOut = 10000;

    TDownload(TDownloadOwner& owner, Synchronize& sync);
    virtual ~TDownload();
    TDownload(const TDownload&) = delete;
    TDownload& operator=(const TDownload&) = delete;

    // Set by the creator before Resume, read-only afterwards.
    int RowIndex = 0;    // the row the reactions write into
    int Slot = 0;        // position within its batch
    int SiteOrdinal = 0; // position of its site among the run's checked sites
    int BatchSize = 0;
    int SiteTotal = 0;
    bool Active = false;
    bool InRun = false;
    std::string ProductTitle;
    std::string SiteTitle;
    std::string Url;   // the site's script address, or the PAD link under test
    std::string Query; // the submission query
    std::string PadLink;
    std::string Mode;
    std::string Method;
    std::string SuccessMarker;    // a reply body holding it counts as accepted
    std::uint64_t ProductId = 0;  // the product a PAD test is for
    int TimeOut = DefaultTimeOut; // of each wait of the client, in ms
    std::string Proxy;            // the client's proxy, when set
    int ProxyPort = 0;
    std::string CaFile;      // an extra certificate authority file for https (PEM)
    bool AllowHttps = false; // a submission may go to an https site (tests and validation always may)

    int ProductOrdinal = 0; // position of its product among the run's products

    // What became of the operation, written by the worker before it ends and read by the
    // owner from DownloadEnded on.
    int ReplyCode = 0;                    // the HTTP status of the reply; 0 when none came
    std::string ErrorText;                // the error that ended the operation; empty when none did
    NetError ErrorKind = NetError::Other; // its kind, when the network layer raised it
    std::string Reply;                    // a PAD validation's reply body, when the reply was 200
    bool ReplyTooLarge = false;           // a PAD validation's reply body passed PadXml::MaxBytes (not kept)
    std::int64_t ElapsedMs = 0;           // from the start of the operation to its end

    // Owner thread.
    virtual void Resume();
    virtual void Terminate();
    bool Terminated() const { return terminated_; }
    // DownloadEnded has been called: the thread is over or about to be, Join returns at once.
    bool Ended() const { return ended_; }
    void Join();

protected:
    // Owner thread: records the end and tells the owner. The real worker calls it through
    // Synchronize as its last step; stand-ins in tests call it directly.
    void Finish(const std::string& word);

private:
    void Execute();
    void Perform(THttpClient& http, std::string& word);

    TDownloadOwner& owner_;
    Synchronize& sync_;
    std::thread thread_;
    std::atomic<bool> terminated_{false};
    bool ended_ = false;
    std::mutex httpMutex_; // guards http_ against Terminate from the owner thread
    THttpClient* http_ = nullptr;
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
