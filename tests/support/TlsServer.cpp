#include "support/TlsServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <memory>
#include <stdexcept>

namespace {

struct Free {
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
    void operator()(X509* p) const { X509_free(p); }
    void operator()(BIO* p) const { BIO_free(p); }
};
using Key = std::unique_ptr<EVP_PKEY, Free>;
using Cert = std::unique_ptr<X509, Free>;
using Bio = std::unique_ptr<BIO, Free>;

void Check(bool ok, const char* what)
{
    if (!ok) throw std::runtime_error(std::string("test certificates: ") + what);
}

std::string BioText(BIO* bio)
{
    char* data = nullptr;
    const long n = BIO_get_mem_data(bio, &data);
    return std::string(data, static_cast<std::size_t>(n));
}

std::string CertPem(X509* cert)
{
    Bio bio(BIO_new(BIO_s_mem()));
    Check(PEM_write_bio_X509(bio.get(), cert) == 1, "PEM certificate");
    return BioText(bio.get());
}

std::string KeyPem(EVP_PKEY* key)
{
    Bio bio(BIO_new(BIO_s_mem()));
    Check(PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr) == 1, "PEM key");
    return BioText(bio.get());
}

Cert ReadCert(const std::string& pem)
{
    Bio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    Cert cert(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
    Check(cert != nullptr, "read certificate");
    return cert;
}

Key ReadKey(const std::string& pem)
{
    Bio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    Key key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
    Check(key != nullptr, "read key");
    return key;
}

void AddExtension(X509* cert, X509* issuer, int nid, const char* value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    Check(ext != nullptr, "extension");
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

// A certificate for `key` named `commonName`, signed by issuerKey (issuer null: by itself).
Cert MakeCert(EVP_PKEY* key, const std::string& commonName, X509* issuer, EVP_PKEY* issuerKey, long from, long to,
              bool authority, const std::string& altNames)
{
    static long serial = 1;
    Cert cert(X509_new());
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial++);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), from);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), to);
    X509_set_pubkey(cert.get(), key);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName.c_str()), -1,
                               -1, 0);
    X509* signer = issuer ? issuer : cert.get();
    X509_set_issuer_name(cert.get(), X509_get_subject_name(signer));
    if (authority) {
        AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
        AddExtension(cert.get(), signer, NID_subject_key_identifier, "hash");
    } else {
        AddExtension(cert.get(), signer, NID_basic_constraints, "CA:FALSE");
        AddExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
        AddExtension(cert.get(), signer, NID_subject_alt_name, altNames.c_str());
    }
    Check(X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256()) > 0, "sign");
    return cert;
}

Key NewKey()
{
    Key key(EVP_EC_gen("P-256"));
    Check(key != nullptr, "key");
    return key;
}

} // namespace

TestCertificates::TestCertificates()
{
    Key key = NewKey();
    Cert cert = MakeCert(key.get(), "Quillpost Test Authority", nullptr, nullptr, -3600, 86400, true, {});
    caCert_ = CertPem(cert.get());
    caKey_ = KeyPem(key.get());
}

TestCertificates::Leaf TestCertificates::MakeLeaf(const std::string& altNames, long fromSeconds, long toSeconds,
                                                  bool selfSigned) const
{
    Key key = NewKey();
    Cert ca = ReadCert(caCert_);
    Key caKey = ReadKey(caKey_);
    Cert cert = selfSigned ? MakeCert(key.get(), "Quillpost Test Server", nullptr, nullptr, fromSeconds, toSeconds,
                                      false, altNames)
                           : MakeCert(key.get(), "Quillpost Test Server", ca.get(), caKey.get(), fromSeconds, toSeconds,
                                      false, altNames);
    return {CertPem(cert.get()), KeyPem(key.get())};
}

TlsServer::TlsServer(Options options) : options_(std::move(options))
{
    SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
    Check(ctx != nullptr, "server context");
    ctx_ = ctx;
    if (options_.MinVersion || options_.MaxVersion) {
        // Old protocol versions need the old ciphers, which the default security level refuses.
        SSL_CTX_set_security_level(ctx, 0);
        SSL_CTX_set_cipher_list(ctx, "ALL:@SECLEVEL=0");
    }
    if (options_.MinVersion) SSL_CTX_set_min_proto_version(ctx, options_.MinVersion);
    if (options_.MaxVersion) SSL_CTX_set_max_proto_version(ctx, options_.MaxVersion);
    if (options_.SharedTicketKey) {
        unsigned char keys[80];
        for (unsigned i = 0; i < sizeof keys; ++i) keys[i] = static_cast<unsigned char>(i * 7 + 1);
        Check(SSL_CTX_set_tlsext_ticket_keys(ctx, keys, sizeof keys) == 1, "ticket keys");
    }
    Cert cert = ReadCert(options_.Certificate.CertPem);
    Key key = ReadKey(options_.Certificate.KeyPem);
    Check(SSL_CTX_use_certificate(ctx, cert.get()) == 1 && SSL_CTX_use_PrivateKey(ctx, key.get()) == 1,
          "server certificate");

    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    Check(listenFd_ >= 0 && ::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
              ::listen(listenFd_, 16) == 0 && ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) == 0,
          "listen");
    port_ = ntohs(addr.sin_port);
    stopFd_ = ::eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { Run(); });
}

TlsServer::~TlsServer()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(stopFd_, &one, sizeof one);
    {
        std::lock_guard lock(mutex_);
        if (activeFd_ >= 0) ::shutdown(activeFd_, SHUT_RDWR); // ends a read that waits
    }
    thread_.join();
    ::close(listenFd_);
    ::close(stopFd_);
    SSL_CTX_free(static_cast<SSL_CTX*>(ctx_));
}

std::size_t TlsServer::Connections() const
{
    std::lock_guard lock(mutex_);
    return records_.size();
}

std::string TlsServer::Request(std::size_t index, std::chrono::milliseconds limit) const
{
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, limit, [&] { return index < records_.size() && records_[index].done; });
    return index < records_.size() ? records_[index].request : std::string();
}

std::string TlsServer::ServerName(std::size_t index) const
{
    std::lock_guard lock(mutex_);
    return index < records_.size() ? records_[index].serverName : std::string();
}

void TlsServer::Run()
{
    // A client that closes first must not stop the test process: SIGPIPE goes to the thread
    // that writes, so this thread keeps it blocked.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    for (;;) {
        pollfd fds[2] = {{stopFd_, POLLIN, 0}, {listenFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[0].revents) break;
        if (!(fds[1].revents & POLLIN)) continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::size_t index = 0;
        {
            std::lock_guard lock(mutex_);
            index = records_.size();
            records_.emplace_back();
        }
        if (options_.Behaviour == Mode::Stall) {
            held_.push_back(fd); // never answered; closed when the server stops
        } else if (options_.Behaviour == Mode::Hold) {
            SSL* ssl = SSL_new(static_cast<SSL_CTX*>(ctx_));
            SSL_set_fd(ssl, fd);
            SSL_accept(ssl);
            ERR_clear_error();
            heldSsl_.push_back(ssl);
            held_.push_back(fd);
        } else {
            {
                std::lock_guard lock(mutex_);
                activeFd_ = fd;
            }
            Serve(fd, index);
            std::lock_guard lock(mutex_);
            activeFd_ = -1;
            ::close(fd);
        }
        std::lock_guard lock(mutex_);
        records_[index].done = true;
        changed_.notify_all();
    }
    for (void* ssl : heldSsl_) SSL_free(static_cast<SSL*>(ssl));
    for (const int fd : held_) ::close(fd);
}

void TlsServer::Serve(int fd, std::size_t index)
{
    // A client that stops talking does not hold the server for long.
    timeval limit{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    SSL* ssl = SSL_new(static_cast<SSL_CTX*>(ctx_));
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) == 1) {
        std::string request;
        char buf[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const int n = SSL_read(ssl, buf, sizeof buf);
            if (n <= 0) break;
            request.append(buf, static_cast<std::size_t>(n));
        }
        {
            std::lock_guard lock(mutex_);
            records_[index].request = request;
            if (const char* name = SSL_get_servername(ssl, TLSEXT_NAMETYPE_host_name))
                records_[index].serverName = name;
        }
        std::size_t sent = 0;
        while (sent < options_.Reply.size()) {
            const int n = SSL_write(ssl, options_.Reply.data() + sent, static_cast<int>(options_.Reply.size() - sent));
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
        if (options_.CloseNotify) SSL_shutdown(ssl);
    }
    ERR_clear_error();
    SSL_free(ssl);
}
