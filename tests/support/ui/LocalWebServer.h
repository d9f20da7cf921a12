#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

class QTcpServer;
class QTcpSocket;

// A small HTTP server on 127.0.0.1 (ephemeral port) for the browser tests. It serves the
// pages it was given by path (the request target up to "?"; a path ending in ".bin" goes
// out as a file to download), answers 404 to anything
// else, and records every request it received. Every answer says it may be cached for an
// hour, so a browser that caches would not come back for the same page. It runs in the
// test's event loop: wait with QTRY_ or a QSignalSpy.
class LocalWebServer : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray method;
        QByteArray target; // path and query, as sent
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;

        QByteArray Path() const;
        // The value of the first header of that name (case-insensitive); empty when absent.
        QByteArray Header(const QByteArray& name) const;
    };

    explicit LocalWebServer(QObject* parent = nullptr);
    ~LocalWebServer() override;

    bool IsListening() const;
    quint16 Port() const;
    // "http://127.0.0.1:<port>" followed by `path`.
    QString Url(const QString& path) const;

    void SetPage(const QByteArray& path, const QByteArray& html);

    const QList<Request>& Requests() const { return m_requests; }
    // How many requests asked for `path` (query not counted).
    int CountFor(const QByteArray& path) const;
    // The last request for `path`; nullptr when there was none.
    const Request* LastFor(const QByteArray& path) const;

signals:
    void RequestReceived();

private:
    void OnNewConnection();
    void OnReadyRead(QTcpSocket* socket);

    QTcpServer* m_server = nullptr;
    QHash<QByteArray, QByteArray> m_pages;
    QHash<QTcpSocket*, QByteArray> m_pending;
    QList<Request> m_requests;
};
