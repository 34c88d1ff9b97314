#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

// A loopback HTTP server for one test: answers every GET with a fixed reply
// (or never answers, to try time-outs) and remembers the paths asked for.
class HttpStub {
public:
    explicit HttpStub(QByteArray status = "200 OK", QByteArray body = {})
        : m_status(std::move(status)), m_body(std::move(body))
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection())
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { answer(s); });
        });
    }
    void setSilent(bool silent) { m_silent = silent; }
    QString base() const
    {
        return QStringLiteral("http://127.0.0.1:%1/qm").arg(m_server.serverPort());
    }
    const QStringList& paths() const { return m_paths; }

private:
    void answer(QTcpSocket* s)
    {
        QByteArray& in = m_pending[s];
        in += s->readAll();
        if (!in.contains("\r\n\r\n"))
            return;
        m_paths << QString::fromLatin1(in.split(' ').value(1));
        if (m_silent)
            return;
        s->write("HTTP/1.1 " + m_status + "\r\nContent-Length: " +
                 QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n" + m_body);
        s->disconnectFromHost();
    }

    QTcpServer m_server;
    QByteArray m_status, m_body;
    bool m_silent = false;
    QStringList m_paths;
    std::map<QTcpSocket*, QByteArray> m_pending;
};
