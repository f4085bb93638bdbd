#pragma once

#include "summary/PartialSummary.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <functional>

namespace velmora {

// A real HTTP/1.1 server on 127.0.0.1 in the test process that answers like llama-server:
// /v1/models, /health and /v1/chat/completions, with its JSON error bodies. Each request goes
// to `handler`; every request is kept for the test to inspect.
class LocalModelServer final : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray method;
        QByteArray path;
        QByteArray body;
        QJsonObject json() const;
        // The user message of a chat request, and the summary prompt inside it.
        QString content() const;
        QString prompt() const;
    };
    struct Response {
        int status = 200;
        QByteArray body;
        bool neverAnswer = false; // keeps the connection open without a reply
    };

    LocalModelServer();
    ~LocalModelServer() override;

    QUrl baseUrl() const; // http://127.0.0.1:PORT/v1
    quint16 port() const { return server_.serverPort(); }

    std::function<Response(const Request&)> handler;
    QList<Request> requests;
    QList<Request> chatRequests() const;

    // A chat completion whose message content is the summary as JSON.
    static Response answer(const PartialSummary& summary);
    static Response content(const QString& messageContent);
    static Response models(const QString& id = QStringLiteral("test-model.gguf"));
    static Response contextError(int promptTokens, int contextTokens);
    static Response loading();
    static Response serverError();
    // Models and health answered, every chat request given to `chat`.
    void serveChat(std::function<Response(const Request&)> chat);

private:
    void onConnection();
    void onReadable(QTcpSocket* socket);
    static void reply(QTcpSocket* socket, const Response& response);

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> buffers_;
};

} // namespace velmora
