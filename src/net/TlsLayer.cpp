#include "net/TlsLayer.h"

#include <arpa/inet.h>
#include <poll.h>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include <sys/stat.h>

#include "net/ESockError.h"
#include "net/TlsSessionCache.h"

namespace {

// The session's own reads and writes go to the layer below; a would-block there is a retry
// for the session.
ByteStream* Lower(BIO* bio)
{
    return static_cast<ByteStream*>(BIO_get_data(bio));
}

int LayerBioWrite(BIO* bio, const char* data, int length)
{
    BIO_clear_retry_flags(bio);
    const long n = Lower(bio)->Write(data, static_cast<std::size_t>(length));
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) BIO_set_retry_write(bio);
    return static_cast<int>(n);
}

int LayerBioRead(BIO* bio, char* data, int length)
{
    BIO_clear_retry_flags(bio);
    const long n = Lower(bio)->Read(data, static_cast<std::size_t>(length), false);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) BIO_set_retry_read(bio);
    // The session tells the peer's close from a failed read by the BIO's end-of-file mark.
    if (n == 0) BIO_set_flags(bio, BIO_FLAGS_IN_EOF);
    return static_cast<int>(n);
}

long LayerBioCtrl(BIO* bio, int cmd, long, void*)
{
    if (cmd == BIO_CTRL_EOF) return BIO_test_flags(bio, BIO_FLAGS_IN_EOF) ? 1 : 0;
    return cmd == BIO_CTRL_FLUSH ? 1 : 0;
}

int LayerBioCreate(BIO* bio)
{
    BIO_set_init(bio, 1);
    return 1;
}

BIO* NewLayerBio(ByteStream* lower)
{
    static BIO_METHOD* method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "quillpost layer");
        BIO_meth_set_write(m, LayerBioWrite);
        BIO_meth_set_read(m, LayerBioRead);
        BIO_meth_set_ctrl(m, LayerBioCtrl);
        BIO_meth_set_create(m, LayerBioCreate);
        return m;
    }();
    BIO* bio = BIO_new(method);
    if (bio) BIO_set_data(bio, lower);
    return bio;
}

// The last OpenSSL error of this thread as words ("unsupported protocol", ...).
std::string TlsErrorText(int sslError)
{
    if (const unsigned long e = ERR_peek_last_error()) {
        if (const char* reason = ERR_reason_error_string(e)) return reason;
        return "error " + std::to_string(e);
    }
    return sslError == SSL_ERROR_SYSCALL ? "connection closed by the server" : "no reason given";
}

// One client context per extra CA file, made on first use and kept for the process: loading
// the system's trust store for every connection would cost more than the handshake. A
// context is not changed once made, so threads share it.
// The map itself is never destroyed, so the contexts stay reachable to the very end of the
// process (a map destroyed at exit would leave them neither freed nor reachable).
std::mutex contextMutex;
std::map<std::string, SSL_CTX*>& Contexts()
{
    static auto* contexts = new std::map<std::string, SSL_CTX*>;
    return *contexts;
}

// Where a session's key lives on its SSL object, for the callback that keeps new sessions.
int PlaceIndex()
{
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

// A session the server has just sent (a TLS 1.3 ticket comes after the handshake, while the
// reply is read): kept for the next connection to the same place, when this connection's
// certificate was verified.
int KeepSession(SSL* ssl, SSL_SESSION* session)
{
    const auto* place = static_cast<const std::string*>(SSL_get_ex_data(ssl, PlaceIndex()));
    if (!place || place->empty() || SSL_get_verify_result(ssl) != X509_V_OK || !SSL_SESSION_is_resumable(session))
        return 0;
    TlsSessionCache::Keep(*place, session);
    return 1; // the cache holds the reference now
}

// Whether an earlier session may stand for a verified certificate now: its certificate carries
// the name (or address) asked for and is within its validity period. A resumed session is not
// verified again, so this is checked before it is offered; the chain was verified when the
// session was made.
bool StillTrusted(SSL_SESSION* session, const std::string& host, bool address)
{
    X509* peer = SSL_SESSION_get0_peer(session);
    if (!peer || X509_cmp_current_time(X509_get0_notBefore(peer)) != -1 ||
        X509_cmp_current_time(X509_get0_notAfter(peer)) != 1)
        return false;
    return address ? X509_check_ip_asc(peer, host.c_str(), 0) == 1
                   : X509_check_host(peer, host.c_str(), 0, 0, nullptr) == 1;
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The system's trust store. A bundle file is parsed whole (some 140 authorities, tens of
// milliseconds), so a hashed folder is preferred: an authority is read from it only when a
// certificate names it as its issuer.
void TrustSystemStore(SSL_CTX* ctx)
{
    if (std::getenv(X509_get_default_cert_file_env())) {
        SSL_CTX_set_default_verify_paths(ctx); // the file the user named, and the folders
        return;
    }
    const char* named = std::getenv(X509_get_default_cert_dir_env());
    const std::string folders = named ? named : X509_get_default_cert_dir();
    bool any = false;
    for (std::size_t from = 0; from <= folders.size() && !any;) {
        const std::size_t to = std::min(folders.find(':', from), folders.size());
        any = to > from && IsFolder(folders.substr(from, to - from));
        from = to + 1;
    }
    X509_LOOKUP* lookup = any ? X509_STORE_add_lookup(SSL_CTX_get_cert_store(ctx), X509_LOOKUP_hash_dir()) : nullptr;
    if (!lookup || X509_LOOKUP_add_dir(lookup, folders.c_str(), X509_FILETYPE_PEM) != 1)
        SSL_CTX_set_default_verify_paths(ctx);
    ERR_clear_error();
}

} // namespace

SSL_CTX* TlsLayer::Context(const std::string& caFile)
{
    std::lock_guard lock(contextMutex);
    std::map<std::string, SSL_CTX*>& contexts = Contexts();
    if (auto it = contexts.find(caFile); it != contexts.end()) return it->second;
    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
    if (!ctx) throw ESockError(std::string(HandshakeFailedText) + "no TLS context", NetError::HandshakeFailed);
    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
    TrustSystemStore(ctx);
    if (!caFile.empty() && SSL_CTX_load_verify_locations(ctx, caFile.c_str(), nullptr) != 1) {
        SSL_CTX_free(ctx);
        ERR_clear_error();
        throw ESockError("Certificate authority file not read: " + caFile);
    }
    // HTTP/1.0 replies end when the server closes, and many servers close without a TLS
    // close alert: that counts as the end, as on a plain connection (a reply cut short is
    // still told by its Content-Length).
    SSL_CTX_set_options(ctx, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // Sessions are kept by place in TlsSessionCache, not in the context's own cache, which
    // would hand them to any host.
    SSL_CTX_set_session_cache_mode(ctx, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(ctx, KeepSession);
    contexts.emplace(caFile, ctx);
    return ctx;
}

TlsLayer::TlsLayer(std::unique_ptr<ByteStream> lower, std::string caFile, std::string host, unsigned port)
    : lower_(std::move(lower)), caFile_(std::move(caFile)), host_(std::move(host)), port_(port)
{}

bool TlsLayer::MakeSession(SSL_CTX* context)
{
    ssl_ = SSL_new(context);
    BIO* bio = ssl_ ? NewLayerBio(lower_.get()) : nullptr;
    if (!bio) {
        if (ssl_) SSL_free(ssl_);
        ssl_ = nullptr;
        return false;
    }
    SSL_set_bio(ssl_, bio, bio);
    return true;
}

void TlsLayer::Connect(const Link& link)
{
    link.Status("TLS Handshake");
    if (!MakeSession(Context(caFile_)))
        throw LayerError(LayerError::Ends::Handshake, std::string(HandshakeFailedText) + "no TLS session",
                         NetError::HandshakeFailed);
    Outcome outcome = Handshake(link.GoOn);
    if (outcome.Done) {
        resumed_ = outcome.Resumed;
        link.Status("TLS " + outcome.Description);
        return;
    }
    if (outcome.Reason.empty()) outcome.Reason = std::string(HandshakeFailedText) + "connection closed by the server";
    throw LayerError(LayerError::Ends::Handshake, outcome.Reason,
                     outcome.Refused ? NetError::CertificateRefused : NetError::HandshakeFailed);
}

TlsLayer::~TlsLayer()
{
    if (!ssl_) return;
    // A session that ended without a goodbye of ours counts as a bad one and is not resumed
    // (OpenSSL's rule). HTTP ends a connection by closing it, so say goodbye without a word on
    // the wire; a session that a fatal alert ended stays out all the same.
    if (SSL_is_init_finished(ssl_)) {
        SSL_set_quiet_shutdown(ssl_, 1);
        SSL_shutdown(ssl_);
    }
    SSL_free(ssl_); // frees the BIO too
}

TlsLayer::Outcome TlsLayer::Handshake(const std::function<bool()>& goOn)
{
    Outcome outcome;
    // The name the certificate must carry: an address is matched against the certificate's
    // addresses, a name against its names, and only a name goes out as SNI.
    in_addr literal{};
    const bool address = ::inet_pton(AF_INET, host_.c_str(), &literal) == 1;
    if (address) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_), host_.c_str());
    } else {
        SSL_set_tlsext_host_name(ssl_, host_.c_str());
        SSL_set1_host(ssl_, host_.c_str());
    }
    // The context stands for the authorities trusted: a session made under other ones is
    // never offered.
    place_ = std::to_string(reinterpret_cast<std::uintptr_t>(SSL_get_SSL_CTX(ssl_))) + " " + host_ + ":" +
             std::to_string(port_);
    SSL_set_ex_data(ssl_, PlaceIndex(), &place_);
    if (SSL_SESSION* earlier = TlsSessionCache::Take(place_)) {
        if (StillTrusted(earlier, host_, address)) SSL_set_session(ssl_, earlier);
        SSL_SESSION_free(earlier);
    }
    while (goOn()) {
        ERR_clear_error();
        const int rc = SSL_connect(ssl_);
        if (rc == 1) {
            outcome.Done = true;
            outcome.Description = std::string(SSL_get_version(ssl_)) + " " + SSL_get_cipher_name(ssl_);
            outcome.Resumed = SSL_session_reused(ssl_) == 1;
            return outcome;
        }
        const int error = SSL_get_error(ssl_, rc);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
            lower_->Wait(error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT);
            continue;
        }
        const long verify = SSL_get_verify_result(ssl_);
        outcome.Refused = verify != X509_V_OK;
        if (outcome.Refused)
            outcome.Reason = CertificateRefusedText + std::string(X509_verify_cert_error_string(verify));
        else
            outcome.Reason = HandshakeFailedText + TlsErrorText(error);
        ERR_clear_error();
        TlsSessionCache::Drop(place_);
        break;
    }
    return outcome;
}

long TlsLayer::Read(char* buf, std::size_t length, bool peek)
{
    // Decrypt until `length` bytes are held or the session waits below, so that nothing
    // stays inside the session while the wait sleeps on the socket.
    int waitErrno = 0;
    while (in_.size() < length && end_ < 0 && ssl_) {
        char chunk[16384];
        ERR_clear_error();
        const int n = SSL_read(ssl_, chunk, sizeof chunk);
        if (n > 0) {
            in_.append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        const int error = SSL_get_error(ssl_, n);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
            wantRead_ = error == SSL_ERROR_WANT_READ;
            waitErrno = EAGAIN;
        } else if (error == SSL_ERROR_ZERO_RETURN) {
            end_ = 0;
        } else if (error == SSL_ERROR_SYSCALL && errno != 0 && errno != EAGAIN) {
            end_ = errno;
        } else {
            end_ = ECONNRESET; // a broken record ends the connection as a reset does
        }
        ERR_clear_error();
        break;
    }
    if (!in_.empty()) {
        const std::size_t n = std::min(length, in_.size());
        std::memcpy(buf, in_.data(), n);
        if (!peek) in_.erase(0, n);
        return static_cast<long>(n);
    }
    if (end_ == 0) return 0;
    errno = end_ > 0 ? end_ : (waitErrno ? waitErrno : (ssl_ ? EAGAIN : ENOTCONN));
    return -1;
}

long TlsLayer::Write(const char* data, std::size_t length)
{
    if (!ssl_) {
        errno = ENOTCONN;
        return -1;
    }
    ERR_clear_error();
    errno = 0;
    const int n = SSL_write(ssl_, data, static_cast<int>(std::min<std::size_t>(length, INT_MAX)));
    if (n > 0) return n;
    const int error = SSL_get_error(ssl_, n);
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
        wantRead_ = error == SSL_ERROR_WANT_READ;
        errno = EAGAIN;
    } else if (error != SSL_ERROR_SYSCALL || errno == 0) {
        errno = error == SSL_ERROR_ZERO_RETURN ? EPIPE : ECONNRESET;
    }
    ERR_clear_error();
    return -1;
}

void TlsLayer::Wait(short)
{
    lower_->Wait(wantRead_ ? POLLIN : POLLOUT);
}

void TlsLayer::BreakOff()
{
    in_.clear();
    end_ = ENOTCONN;
    lower_->BreakOff();
}
