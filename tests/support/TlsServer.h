#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Certificates made by the test at run time with OpenSSL: a certificate authority of its own
// and leaf certificates that it (or the leaf itself) signs. Nothing is read from outside.
class TestCertificates {
public:
    struct Leaf {
        std::string CertPem;
        std::string KeyPem;
    };

    TestCertificates();
    // The authority's certificate, for the client's CaFile.
    const std::string& CaPem() const { return caCert_; }
    // A leaf for `altNames` ("DNS:localhost,IP:127.0.0.1"), valid from `fromSeconds` to
    // `toSeconds` around now, signed by the authority or, with selfSigned, by its own key.
    Leaf MakeLeaf(const std::string& altNames, long fromSeconds = -3600, long toSeconds = 86400,
                  bool selfSigned = false) const;

private:
    std::string caCert_;
    std::string caKey_;
};

// A TLS server for tests on 127.0.0.1 (ephemeral port), on its own thread, serving one
// connection after the other. In Reply mode it completes the handshake, reads a request head
// (up to the blank line), records it, sends Reply and closes (with or without the TLS close
// alert). In Stall mode it accepts the connection and never answers the handshake; in Hold
// mode it completes the handshake and keeps the connection open, reading nothing. The
// destructor stops it at once.
class TlsServer {
public:
    enum class Mode { Reply, Stall, Hold };
    struct Options {
        TestCertificates::Leaf Certificate;
        Mode Behaviour = Mode::Reply;
        std::string Reply = "HTTP/1.0 200 OK\r\n\r\nhello";
        bool CloseNotify = true;
        // Protocol versions the server speaks (TLS1_VERSION ... TLS1_3_VERSION); 0: any.
        int MinVersion = 0;
        int MaxVersion = 0;
        // Servers made with it accept each other's session tickets, as the servers of a farm
        // behind one name do.
        bool SharedTicketKey = false;
    };

    explicit TlsServer(Options options);
    ~TlsServer();
    TlsServer(const TlsServer&) = delete;
    TlsServer& operator=(const TlsServer&) = delete;

    std::uint16_t Port() const { return port_; }
    // "https://127.0.0.1:port"
    std::string Url() const { return "https://127.0.0.1:" + std::to_string(port_); }

    std::size_t Connections() const;
    // Waits (at most `limit`) for the request head of connection `index`; "" when none came.
    std::string Request(std::size_t index, std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) const;
    // The server name (SNI) the client sent on connection `index`; "" when it sent none.
    std::string ServerName(std::size_t index) const;

private:
    struct Record {
        bool done = false;
        std::string request;
        std::string serverName;
    };
    void Run();
    void Serve(int fd, std::size_t index);

    Options options_;
    void* ctx_ = nullptr; // SSL_CTX
    int listenFd_ = -1;
    int stopFd_ = -1;
    std::uint16_t port_ = 0;
    std::vector<int> held_;      // server thread only
    std::vector<void*> heldSsl_; // server thread only (SSL of Hold mode)
    int activeFd_ = -1;          // the connection being served; guarded by mutex_
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Record> records_;
    std::thread thread_;
};
