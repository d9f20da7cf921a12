#pragma once

#include <functional>
#include <memory>
#include <string>

#include "net/ByteStream.h"

struct ssl_st;
struct ssl_ctx_st;

// A TLS client session on the layer below it (a socket, or a proxy's tunnel). TLS 1.2 and 1.3
// only; the server's certificate is verified against the system's trust store and an extra
// authority file, and must carry the name (or address) the caller connects to. Nothing turns
// that off. A session the same context made before with the same host and port is resumed
// (TlsSessionCache) when its certificate still carries that name and is still in its validity
// period; the server must still hold the session's secret, else the handshake is a full one.
// Owned by the thread of its connection, like every layer.
class TlsLayer : public ByteStream {
public:
    static constexpr const char* CertificateRefusedText = "Server certificate refused: ";
    static constexpr const char* HandshakeFailedText = "TLS handshake failed: ";

    // The client context for `caFile` (empty: the system's trust store alone), made once per
    // process and file. Raises ESockError when the file cannot be read.
    // The system's trust store is the file SSL_CERT_FILE names, read whole, when it is set;
    // else the hashed folders of SSL_CERT_DIR (or OpenSSL's default folder), where an
    // authority is looked up when a certificate needs it; OpenSSL's default file only when
    // none of those folders exists.
    static ssl_ctx_st* Context(const std::string& caFile);

    // A session with `host` (reached on `port`) under the authorities of `caFile`, made by
    // Connect.
    TlsLayer(std::unique_ptr<ByteStream> lower, std::string caFile, std::string host, unsigned port);
    ~TlsLayer() override;
    TlsLayer(const TlsLayer&) = delete;
    TlsLayer& operator=(const TlsLayer&) = delete;

    // Runs the handshake, waiting below as the session asks. Raises ESockError when the
    // authority file cannot be read, and LayerError (Ends::Handshake) when the handshake fails
    // (HandshakeFailedText and why) or the certificate is refused (CertificateRefusedText and
    // why).
    void Connect(const Link& link) override;
    long Read(char* buf, std::size_t length, bool peek) override;
    long Write(const char* data, std::size_t length) override;
    // The session decides the direction: its last would-block waited for data or for room.
    void Wait(short events) override;
    void BreakOff() override;
    bool Buffered() const override { return !in_.empty() || lower_->Buffered(); }
    bool Secure() const override { return true; }
    bool Resumed() const override { return resumed_; }

private:
    // What a handshake came to.
    struct Outcome {
        bool Done = false;       // the session is up
        bool Refused = false;    // the certificate, not the handshake, failed
        std::string Reason;      // why it failed (empty: it was stopped, or the peer closed)
        std::string Description; // "TLSv1.3 TLS_AES_256_GCM_SHA384" once done
        bool Resumed = false;    // done by resuming an earlier session
    };

    // The session on the layer below; false when none could be made (out of memory).
    bool MakeSession(ssl_ctx_st* context);
    // Runs the handshake while goOn() holds.
    Outcome Handshake(const std::function<bool()>& goOn);

    std::unique_ptr<ByteStream> lower_;
    std::string caFile_;
    std::string host_;
    unsigned port_;
    ssl_st* ssl_ = nullptr;
    std::string place_;    // the key of this connection's sessions in TlsSessionCache
    std::string in_;       // bytes decrypted and not yet taken by a reader
    int end_ = -1;         // the session's reading ended: 0 closed, else the errno
    bool wantRead_ = true; // the session's last would-block waits for data (else room)
    bool resumed_ = false; // the handshake resumed an earlier session
};
