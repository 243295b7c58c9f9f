#pragma once

#include "TestConfig.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <functional>
#include <map>
#include <optional>
#include <utility>

// A small HTTP server on 127.0.0.1 for the browser tests. It serves the fixture
// pages under tests/data/pages, answers paths the test routes itself, can hold
// an answer back for as long as the test likes, and records every request.
class TestHttpServer : public QObject {
public:
    struct Request {
        QByteArray method;
        QByteArray path;                       // with the query
        QHash<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };
    struct Response {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "text/html; charset=utf-8";
        QList<QPair<QByteArray, QByteArray>> headers = {};
    };
    // No response holds the connection open without an answer.
    using Handler = std::function<std::optional<Response>(const Request &)>;

    TestHttpServer()
    {
        connect(&m_server, &QTcpServer::newConnection, this, &TestHttpServer::accept);
        if (!m_server.listen(QHostAddress::LocalHost, 0))
            qFatal("test server: cannot listen on 127.0.0.1");
    }

    ~TestHttpServer() override
    {
        for (const QPointer<QTcpSocket> &s : m_held)
            if (s)
                s->abort();
    }

    quint16 port() const { return m_server.serverPort(); }
    QUrl url(const QString &path) const { return QUrl(address(path).prepend(QStringLiteral("http://"))); }
    // The address as a user types it, without a scheme.
    QString address(const QString &path) const
    {
        return QStringLiteral("127.0.0.1:%1%2").arg(port()).arg(path);
    }

    void route(const QByteArray &path, Handler handler) { m_routes[path] = std::move(handler); }
    void hold(const QByteArray &path)
    {
        route(path, [](const Request &) { return std::nullopt; });
    }

    // Answers every request held back so far.
    void answerHeld(const Response &response)
    {
        const QList<QPointer<QTcpSocket>> held = std::exchange(m_held, {});
        for (const QPointer<QTcpSocket> &s : held)
            if (s)
                send(s, response);
    }

    const QList<Request> &requests() const { return m_requests; }
    int requestsFor(const QByteArray &method, const QByteArray &path) const
    {
        int n = 0;
        for (const Request &r : m_requests)
            n += r.method == method && r.path == path;
        return n;
    }
    int requestsFor(const QByteArray &path) const
    {
        int n = 0;
        for (const Request &r : m_requests)
            n += r.path == path;
        return n;
    }
    // Connections whose answer is held back and that the browser has not closed.
    int heldOpen() const
    {
        int n = 0;
        for (const QPointer<QTcpSocket> &s : m_held)
            n += s && s->state() == QAbstractSocket::ConnectedState;
        return n;
    }

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void read(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        Request request;
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.path = first.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                       lines[i].mid(colon + 1).trimmed());
        }
        // A form's data follows the headers; it is read whole before the answer.
        const qsizetype length = request.headers.value("content-length").toLongLong();
        if (buffer.size() < end + 4 + length)
            return;
        request.body = buffer.mid(end + 4, length);
        m_buffers.remove(socket);
        disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
        m_requests << request;

        std::optional<Response> response = answer(request);
        if (!response) {
            m_held << socket;
            return;
        }
        send(socket, *response);
    }

    static void send(QTcpSocket *socket, const Response &r)
    {
        const Response *response = &r;
        static const std::map<int, QByteArray> reasons = {
            {200, "OK"}, {302, "Found"}, {303, "See Other"}, {401, "Unauthorized"}, {404, "Not Found"}};
        QByteArray out = "HTTP/1.1 " + QByteArray::number(response->status) + ' ' +
                         reasons.at(response->status) + "\r\nContent-Type: " + response->contentType +
                         "\r\nContent-Length: " + QByteArray::number(response->body.size()) +
                         "\r\nCache-Control: no-store\r\nConnection: close\r\n";
        for (const auto &[name, value] : response->headers)
            out += name + ": " + value + "\r\n";
        out += "\r\n" + response->body;
        socket->write(out);
        socket->disconnectFromHost();
    }

    std::optional<Response> answer(const Request &request)
    {
        const QByteArray path = request.path.split('?').first();
        if (auto route = m_routes.find(path); route != m_routes.end())
            return route->second(request);
        QFile file(QStringLiteral(POSTWRIGHT_TEST_DATA "/pages") + QString::fromUtf8(path));
        if (!path.contains("..") && file.open(QIODevice::ReadOnly))
            return Response{200, file.readAll(),
                            path.endsWith(".gif") ? "image/gif" : "text/html; charset=utf-8"};
        return Response{404, "<html><head><title>Not found</title></head></html>"};
    }

    QTcpServer m_server;
    std::map<QByteArray, Handler> m_routes;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QList<QPointer<QTcpSocket>> m_held;
    QList<Request> m_requests;
};
