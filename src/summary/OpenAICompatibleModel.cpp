#include "summary/OpenAICompatibleModel.h"

#include "summary/Logging.h"
#include "capture/Scheduler.h"
#include "summary/SummarySchema.h"

#include <QCoroSignal>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QRegularExpression>

namespace velmora {

namespace {

QString errorMessage(const QByteArray& body) {
    const QJsonObject error = QJsonDocument::fromJson(body).object().value(u"error").toObject();
    return error.value(u"message").toString();
}

// llama-server says "exceed_context_size_error"; OpenAI-style servers say
// "context_length_exceeded" or only speak of the context in the message.
bool isContextError(const QByteArray& body) {
    const QJsonObject error = QJsonDocument::fromJson(body).object().value(u"error").toObject();
    if (error.value(u"type").toString() == u"exceed_context_size_error" ||
        error.value(u"code").toString() == u"context_length_exceeded")
        return true;
    static const QRegularExpression contextWords(
        QStringLiteral("context (length|size|window)|maximum context|too many tokens"),
        QRegularExpression::CaseInsensitiveOption);
    return contextWords.match(error.value(u"message").toString()).hasMatch();
}

QString brief(const QByteArray& body) {
    const QString message = errorMessage(body);
    return message.isEmpty() ? QString::fromUtf8(body.left(200)).simplified() : message;
}

} // namespace

OpenAICompatibleModel::OpenAICompatibleModel(QUrl baseUrl, QString modelName, Scheduler& scheduler,
                                             Duration requestTimeout)
    : baseUrl_(std::move(baseUrl)), modelName_(std::move(modelName)), scheduler_(scheduler),
      requestTimeout_(requestTimeout), network_(std::make_unique<QNetworkAccessManager>()) {
    // The server runs on this machine: no proxy may see the transcript.
    network_->setProxy(QNetworkProxy::NoProxy);
}

OpenAICompatibleModel::~OpenAICompatibleModel() = default;

QString OpenAICompatibleModel::description() const {
    const QString model = modelName_.isEmpty() ? QStringLiteral("(first listed)") : modelName_;
    return QStringLiteral("model %1 at %2").arg(model, baseUrl_.toString());
}

QUrl OpenAICompatibleModel::endpoint(const QString& path) const {
    QUrl url = baseUrl_;
    QString base = url.path();
    while (base.endsWith(u'/'))
        base.chop(1);
    url.setPath(base + path);
    return url;
}

// llama-server answers /health beside /v1; Ollama and LM Studio have none (404 = unknown).
QUrl OpenAICompatibleModel::healthUrl() const {
    QUrl url = baseUrl_;
    QString base = url.path();
    while (base.endsWith(u'/'))
        base.chop(1);
    if (base.endsWith(QStringLiteral("/v1")))
        base.chop(3);
    url.setPath(base + QStringLiteral("/health"));
    return url;
}

QString OpenAICompatibleModel::promptWithSchema(const QString& prompt, const QByteArray& schema) {
    return prompt + QStringLiteral("\n\nAnswer with one JSON object that follows this schema:\n") +
           QString::fromUtf8(schema);
}

QByteArray OpenAICompatibleModel::requestBody(const QString& model, const QString& prompt,
                                              const QByteArray& schema) {
    const QJsonObject message{{QStringLiteral("role"), QStringLiteral("user")},
                              {QStringLiteral("content"), promptWithSchema(prompt, schema)}};
    const QJsonObject head{{QStringLiteral("model"), model},
                           {QStringLiteral("messages"), QJsonArray{message}},
                           {QStringLiteral("stream"), false}};
    QByteArray body = QJsonDocument(head).toJson(QJsonDocument::Compact);
    body.chop(1); // the closing brace: the schema is spliced in with its property order kept
    body += ",\"response_format\":{\"type\":\"json_schema\",\"json_schema\":"
            "{\"name\":\"meeting_summary\",\"strict\":true,\"schema\":" +
            schema + "}}}";
    return body;
}

QCoro::Task<OpenAICompatibleModel::Reply> OpenAICompatibleModel::send(
    QNetworkRequest request, std::optional<QByteArray> body, Duration timeout, CancelToken cancel) {
    Reply result;
    if (cancel.isCancelled()) {
        result.cancelled = true;
        co_return result;
    }
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* raw = body ? network_->post(request, *body) : network_->get(request);
    // The coroutine resumes inside the reply's own finished signal: delete it later.
    const auto later = [](QNetworkReply* r) { r->deleteLater(); };
    std::unique_ptr<QNetworkReply, decltype(later)> reply(raw, later);
    QPointer<QNetworkReply> guarded = raw;
    auto timedOut = std::make_shared<bool>(false);
    const Scheduler::TimerId timer = scheduler_.schedule(timeout, [guarded, timedOut] {
        if (guarded && !guarded->isFinished()) {
            *timedOut = true;
            guarded->abort();
        }
    });
    const CancelToken::Registration registration = cancel.onCancel([guarded] {
        if (guarded && !guarded->isFinished())
            guarded->abort();
    });
    if (!reply->isFinished()) {
        auto finished = qCoro(raw, &QNetworkReply::finished);
        co_await finished;
    }
    scheduler_.cancel(timer);
    cancel.remove(registration);

    result.timedOut = *timedOut;
    result.cancelled = cancel.isCancelled();
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.body = reply->readAll();
    result.connectionRefused = reply->error() == QNetworkReply::ConnectionRefusedError ||
                               reply->error() == QNetworkReply::HostNotFoundError;
    if (reply->error() != QNetworkReply::NoError)
        result.networkError = reply->errorString();
    co_return result;
}

LanguageModelError OpenAICompatibleModel::errorFor(const Reply& reply) {
    using Kind = LanguageModelError::Kind;
    if (reply.cancelled)
        return {Kind::cancelled, QStringLiteral("cancelled")};
    if (reply.timedOut)
        return {Kind::other, QStringLiteral("the model server did not answer in time")};
    if (reply.connectionRefused)
        return {Kind::unavailable, QStringLiteral("no model server is running: %1")
                                       .arg(reply.networkError)};
    if (reply.status == 503)
        return {Kind::unavailable,
                QStringLiteral("the model server is not ready: %1").arg(brief(reply.body))};
    if (reply.status == 400 && isContextError(reply.body))
        return {Kind::generation, QStringLiteral("the prompt does not fit the model's context: %1")
                                      .arg(brief(reply.body))};
    if (reply.status != 0)
        return {Kind::other,
                QStringLiteral("HTTP %1 from the model server: %2").arg(reply.status).arg(brief(reply.body))};
    return {Kind::other, QStringLiteral("cannot reach the model server: %1").arg(reply.networkError)};
}

// QCoro's co_return moves from an lvalue it is given: members are returned as copies.
QCoro::Task<QString> OpenAICompatibleModel::resolveModelName(CancelToken cancel) {
    if (!modelName_.isEmpty())
        co_return QString(modelName_);
    auto sending = send(QNetworkRequest(endpoint(QStringLiteral("/models"))), std::nullopt,
                        requestTimeout_, cancel);
    const Reply reply = co_await sending;
    if (reply.status != 200)
        throw errorFor(reply);
    const QJsonArray models = QJsonDocument::fromJson(reply.body).object().value(u"data").toArray();
    const QString first = models.isEmpty() ? QString() : models.first().toObject().value(u"id").toString();
    if (first.isEmpty())
        throw LanguageModelError(LanguageModelError::Kind::unavailable,
                                 QStringLiteral("the model server lists no model"));
    modelName_ = first;
    qCInfo(lcSummary, "Using model %s", qUtf8Printable(modelName_));
    co_return QString(modelName_);
}

QCoro::Task<PartialSummary> OpenAICompatibleModel::respond(QString prompt, QByteArray schema,
                                                           CancelToken cancel) {
    auto resolving = resolveModelName(cancel);
    const QString model = co_await resolving;
    QNetworkRequest request(endpoint(QStringLiteral("/chat/completions")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    auto sending = send(request, requestBody(model, prompt, schema), requestTimeout_, cancel);
    const Reply reply = co_await sending;
    if (reply.status != 200 || reply.cancelled || reply.timedOut)
        throw errorFor(reply);
    const QJsonArray choices = QJsonDocument::fromJson(reply.body).object().value(u"choices").toArray();
    const QString content =
        choices.first().toObject().value(u"message").toObject().value(u"content").toString();
    std::optional<PartialSummary> summary = SummarySchema::parseAnswer(content);
    if (!summary)
        throw LanguageModelError(LanguageModelError::Kind::other,
                                 QStringLiteral("the model's answer is not the summary JSON: %1")
                                     .arg(content.left(200).simplified()));
    co_return *summary;
}

QCoro::Task<ModelAvailability> OpenAICompatibleModel::availability() {
    auto listing = send(QNetworkRequest(endpoint(QStringLiteral("/models"))), std::nullopt,
                        probeTimeout, CancelToken());
    const Reply models = co_await listing;
    if (models.connectionRefused)
        co_return ModelAvailability::notRunning;
    if (models.status == 503)
        co_return ModelAvailability::loading;
    if (models.status == 200 &&
        QJsonDocument::fromJson(models.body).object().value(u"data").isArray())
        co_return ModelAvailability::available;
    auto checking = send(QNetworkRequest(healthUrl()), std::nullopt, probeTimeout, CancelToken());
    const Reply health = co_await checking;
    if (health.status == 503)
        co_return ModelAvailability::loading;
    co_return ModelAvailability::unknown;
}

} // namespace velmora
