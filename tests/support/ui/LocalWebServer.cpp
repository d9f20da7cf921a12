#include "support/ui/LocalWebServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

QByteArray LocalWebServer::Request::Path() const
{
    const int query = target.indexOf('?');
    return query < 0 ? target : target.left(query);
}

QByteArray LocalWebServer::Request::Header(const QByteArray& name) const
{
    for (const auto& header : headers)
        if (header.first.compare(name, Qt::CaseInsensitive) == 0) return header.second;
    return {};
}

LocalWebServer::LocalWebServer(QObject* parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &LocalWebServer::OnNewConnection);
    m_server->listen(QHostAddress::LocalHost, 0);
}

LocalWebServer::~LocalWebServer() = default;

bool LocalWebServer::IsListening() const
{
    return m_server->isListening();
}

quint16 LocalWebServer::Port() const
{
    return m_server->serverPort();
}

QString LocalWebServer::Url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(Port()).arg(path);
}

void LocalWebServer::SetPage(const QByteArray& path, const QByteArray& html)
{
    m_pages.insert(path, html);
}

int LocalWebServer::CountFor(const QByteArray& path) const
{
    int count = 0;
    for (const auto& request : m_requests)
        if (request.Path() == path) ++count;
    return count;
}

const LocalWebServer::Request* LocalWebServer::LastFor(const QByteArray& path) const
{
    for (auto it = m_requests.crbegin(); it != m_requests.crend(); ++it)
        if (it->Path() == path) return &*it;
    return nullptr;
}

void LocalWebServer::OnNewConnection()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        m_pending.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_pending.remove(socket);
            socket->deleteLater();
        });
    }
}

void LocalWebServer::OnReadyRead(QTcpSocket* socket)
{
    if (!m_pending.contains(socket)) return;
    QByteArray& buffer = m_pending[socket];
    buffer += socket->readAll();
    const int headEnd = buffer.indexOf("\r\n\r\n");
    if (headEnd < 0) return;

    Request request;
    const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    qsizetype contentLength = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const int colon = line.indexOf(':');
        if (colon <= 0) continue;
        request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
        if (request.headers.last().first.compare("Content-Length", Qt::CaseInsensitive) == 0)
            contentLength = request.headers.last().second.toLongLong();
    }
    const qsizetype bodyStart = headEnd + 4;
    if (buffer.size() - bodyStart < contentLength) return; // the body is still coming
    request.body = buffer.mid(bodyStart, contentLength);
    m_pending.remove(socket);

    const auto page = m_pages.constFind(request.Path());
    QByteArray answer;
    if (page != m_pages.constEnd()) {
        // A path ending in ".bin" is a file to download, not a page.
        answer = request.Path().endsWith(".bin") ? "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                                                 : "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n";
        answer += "Cache-Control: max-age=3600\r\n";
        answer += "Content-Length: " + QByteArray::number(page->size()) + "\r\nConnection: close\r\n\r\n";
        answer += *page;
    } else {
        answer = "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nContent-Length: 9\r\n"
                 "Connection: close\r\n\r\nnot found";
    }
    m_requests.append(request);
    socket->write(answer);
    socket->disconnectFromHost();
    emit RequestReceived();
}
