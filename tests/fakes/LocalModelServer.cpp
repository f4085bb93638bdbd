#include "fakes/LocalModelServer.h"


#include <QJsonArray>
#include <QJsonDocument>

namespace velmora {

namespace {

QByteArray reason(int status) {
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

QByteArray errorBody(int code, const char* type, const QString& message) {
    const QJsonObject error{{QStringLiteral("code"), code},
                            {QStringLiteral("type"), QString::fromUtf8(type)},
                            {QStringLiteral("message"), message}};
    return QJsonDocument(QJsonObject{{QStringLiteral("error"), error}}).toJson(QJsonDocument::Compact);
}

} // namespace

QJsonObject LocalModelServer::Request::json() const {
    return QJsonDocument::fromJson(body).object();
}

QString LocalModelServer::Request::content() const {
    return json().value(u"messages").toArray().first().toObject().value(u"content").toString();
}

QString LocalModelServer::Request::prompt() const {
    const QString text = content();
    const qsizetype schemaStart =
        text.lastIndexOf(QStringLiteral("\n\nAnswer with one JSON object that follows this schema:\n"));
    return schemaStart < 0 ? text : text.left(schemaStart);
}

LocalModelServer::LocalModelServer() {
    connect(&server_, &QTcpServer::newConnection, this, &LocalModelServer::onConnection);
    server_.listen(QHostAddress::LocalHost, 0);
    serveChat([](const Request&) { return answer({}); });
}

LocalModelServer::~LocalModelServer() {
    for (QTcpSocket* socket : buffers_.keys())
        socket->abort();
}

QUrl LocalModelServer::baseUrl() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/v1").arg(port()));
}

QList<LocalModelServer::Request> LocalModelServer::chatRequests() const {
    QList<Request> chats;
    for (const Request& request : requests) {
        if (request.path.endsWith("/chat/completions"))
            chats.append(request);
    }
    return chats;
}

LocalModelServer::Response LocalModelServer::content(const QString& messageContent) {
    const QJsonObject message{{QStringLiteral("role"), QStringLiteral("assistant")},
                              {QStringLiteral("content"), messageContent}};
    const QJsonObject choice{{QStringLiteral("index"), 0},
                             {QStringLiteral("finish_reason"), QStringLiteral("stop")},
                             {QStringLiteral("message"), message}};
    const QJsonObject body{{QStringLiteral("object"), QStringLiteral("chat.completion")},
                           {QStringLiteral("choices"), QJsonArray{choice}}};
    return {200, QJsonDocument(body).toJson(QJsonDocument::Compact)};
}

LocalModelServer::Response LocalModelServer::answer(const PartialSummary& summary) {
    const QJsonObject object{{QStringLiteral("topics"), QJsonArray::fromStringList(summary.topics)},
                             {QStringLiteral("actionItems"), QJsonArray::fromStringList(summary.actionItems)},
                             {QStringLiteral("decisions"), QJsonArray::fromStringList(summary.decisions)}};
    return content(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

LocalModelServer::Response LocalModelServer::models(const QString& id) {
    const QJsonObject model{{QStringLiteral("id"), id}, {QStringLiteral("object"), QStringLiteral("model")}};
    const QJsonObject body{{QStringLiteral("object"), QStringLiteral("list")},
                           {QStringLiteral("data"), QJsonArray{model}}};
    return {200, QJsonDocument(body).toJson(QJsonDocument::Compact)};
}

LocalModelServer::Response LocalModelServer::contextError(int promptTokens, int contextTokens) {
    QJsonObject error{
        {QStringLiteral("code"), 400},
        {QStringLiteral("type"), QStringLiteral("exceed_context_size_error")},
        {QStringLiteral("message"),
         QStringLiteral("request (%1 tokens) exceeds the available context size (%2 tokens), try "
                        "increasing it").arg(promptTokens).arg(contextTokens)},
        {QStringLiteral("n_prompt_tokens"), promptTokens},
        {QStringLiteral("n_ctx"), contextTokens}};
    return {400, QJsonDocument(QJsonObject{{QStringLiteral("error"), error}}).toJson(QJsonDocument::Compact)};
}

LocalModelServer::Response LocalModelServer::loading() {
    return {503, errorBody(503, "unavailable_error", QStringLiteral("Loading model"))};
}

LocalModelServer::Response LocalModelServer::serverError() {
    return {500, errorBody(500, "server_error", QStringLiteral("failed to decode the batch"))};
}

void LocalModelServer::serveChat(std::function<Response(const Request&)> chat) {
    handler = [chat = std::move(chat)](const Request& request) -> Response {
        if (request.path.endsWith("/models"))
            return models();
        if (request.path == "/health")
            return {200, R"({"status":"ok"})"};
        if (request.path.endsWith("/chat/completions"))
            return chat(request);
        return {404, errorBody(404, "not_found_error", QStringLiteral("File Not Found"))};
    };
}

void LocalModelServer::onConnection() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        buffers_.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            buffers_.remove(socket);
            socket->deleteLater();
        });
    }
}

void LocalModelServer::onReadable(QTcpSocket* socket) {
    QByteArray& buffer = buffers_[socket];
    buffer += socket->readAll();
    for (;;) {
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
        qsizetype length = 0;
        for (const QByteArray& line : lines.mid(1)) {
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        }
        if (buffer.size() < headerEnd + 4 + length)
            return;
        Request request{requestLine.value(0), requestLine.value(1), buffer.mid(headerEnd + 4, length)};
        buffer.remove(0, headerEnd + 4 + length);
        requests.append(request);
        const Response response = handler(request);
        if (!response.neverAnswer)
            reply(socket, response);
    }
}

void LocalModelServer::reply(QTcpSocket* socket, const Response& response) {
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason(response.status) +
                      "\r\nContent-Type: application/json; charset=utf-8\r\nContent-Length: " +
                      QByteArray::number(response.body.size()) + "\r\nKeep-Alive: timeout=5, max=100\r\n\r\n";
    socket->write(head + response.body);
}

} // namespace velmora
