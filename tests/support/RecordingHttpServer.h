#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUrl>

struct HttpRequest
{
    QByteArray head; // request line and headers, header names lower-cased
    QByteArray body;
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
};

// An HTTP server on 127.0.0.1 that records each request; one that does not answer hangs instead.
class RecordingHttpServer : public QObject
{
public:
    explicit RecordingHttpServer(bool answers = true)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this, answers] {
            QTcpSocket *socket = m_server.nextPendingConnection();
            connect(socket, &QTcpSocket::disconnected, this, [this] { ++closedByClient; });
            connect(socket, &QTcpSocket::readyRead, socket,
                    [this, socket, answers, buffer = QByteArray()]() mutable {
                        buffer += socket->readAll();
                        const qsizetype headEnd = buffer.indexOf("\r\n\r\n") + 4;
                        const QByteArray head = buffer.left(headEnd).toLower();
                        const qsizetype lengthAt = head.indexOf("content-length:") + 15;
                        const qsizetype length =
                            head.mid(lengthAt, head.indexOf('\r', lengthAt) - lengthAt).trimmed().toInt();
                        if (headEnd < 4 || buffer.size() < headEnd + length)
                            return;
                        requests.append({head.chopped(4), buffer.mid(headEnd, length)});
                        buffer.clear();
                        if (answers)
                            socket->write("HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");
                    });
        });
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
    }

    QUrl url() const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/api/track").arg(m_server.serverPort()));
    }

    QList<HttpRequest> requests;
    int closedByClient = 0;

private:
    QTcpServer m_server;
};
