#include "harness/TestPageServer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaObject>
#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>

#include <stdexcept>

namespace velmora::e2e {

namespace {

QByteArray response(int status, const QByteArray& type, const QByteArray& body) {
    return "HTTP/1.1 " + QByteArray::number(status) + " -\r\nContent-Type: " + type +
           "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

TestPageServer::TestPageServer(const QString& pagesDirectory)
    : shared_(std::make_shared<Shared>()), worker_(new QObject) {
    thread_.setObjectName(QStringLiteral("test-page-server"));
    worker_->moveToThread(&thread_);
    QObject::connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
    std::shared_ptr<Shared> shared = shared_;
    QObject* worker = worker_;
    QMetaObject::invokeMethod(
        worker_,
        [this, worker, shared, pagesDirectory] {
            auto* server = new QTcpServer(worker);
            QObject::connect(server, &QTcpServer::newConnection, server, [server, shared, pagesDirectory] {
                while (QTcpSocket* socket = server->nextPendingConnection()) {
                    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                    QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                     [socket, shared, pagesDirectory] { answer(socket, pagesDirectory, *shared); });
                }
            });
            if (server->listen(QHostAddress::LocalHost, 0))
                port_ = server->serverPort();
        },
        Qt::BlockingQueuedConnection);
    if (port_ == 0)
        throw std::runtime_error("the test page server cannot listen on 127.0.0.1");
}

TestPageServer::~TestPageServer() {
    thread_.quit();
    thread_.wait();
}

QUrl TestPageServer::url(const QString& page) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(page));
}

int TestPageServer::post(const QString& script) {
    QMutexLocker lock(&shared_->mutex);
    const int seq = shared_->nextSeq++;
    shared_->commands.enqueue({seq, script});
    return seq;
}

int TestPageServer::lastDone() const {
    QMutexLocker lock(&shared_->mutex);
    return shared_->lastDone;
}

void TestPageServer::answer(QTcpSocket* socket, const QString& pagesDirectory, Shared& shared) {
    // Requests are small GETs: wait for the whole header.
    if (!socket->property("request").isNull() || !socket->peek(65536).contains("\r\n\r\n"))
        return;
    const QByteArray header = socket->readAll();
    socket->setProperty("request", true);
    const QList<QByteArray> requestLine = header.left(header.indexOf("\r\n")).split(' ');
    const QUrl url(QString::fromUtf8(requestLine.value(1)));
    const QString path = url.path();
    QByteArray reply;
    if (path == QLatin1String("/command")) {
        QMutexLocker lock(&shared.mutex);
        if (shared.commands.isEmpty()) {
            reply = response(204, "text/plain", {});
        } else {
            const auto [seq, script] = shared.commands.dequeue();
            reply = response(200, "application/json",
                             QJsonDocument(QJsonObject{{QStringLiteral("seq"), seq},
                                                       {QStringLiteral("script"), script}})
                                 .toJson(QJsonDocument::Compact));
        }
    } else if (path == QLatin1String("/done")) {
        QMutexLocker lock(&shared.mutex);
        shared.lastDone = std::max(shared.lastDone, QUrlQuery(url).queryItemValue(QStringLiteral("seq")).toInt());
        reply = response(204, "text/plain", {});
    } else {
        QFile file(QDir(pagesDirectory).filePath(path.mid(1)));
        if (!path.contains(QLatin1String("..")) && file.open(QIODevice::ReadOnly))
            reply = response(200, path.endsWith(QLatin1String(".js")) ? "text/javascript" : "text/html; charset=utf-8",
                             file.readAll());
        else
            reply = response(404, "text/plain", "not found");
    }
    socket->write(reply);
    socket->disconnectFromHost();
}

} // namespace velmora::e2e
