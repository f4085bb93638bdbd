#pragma once

#include "capture/Scheduler.h"
#include "summary/LanguageModel.h"
#include "summary/LanguageModelError.h"

#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class QNetworkReply;
class QNetworkRequest;

namespace velmora {

// A local server that speaks the OpenAI chat API (llama-server, Ollama, LM Studio):
// `POST {base}/chat/completions` with one user message and a JSON-schema response format.
// With no model name the first one the server lists is used. Main thread.
class OpenAICompatibleModel final : public LanguageModel {
public:
    static constexpr std::chrono::seconds defaultRequestTimeout{600};
    static constexpr std::chrono::seconds probeTimeout{3};

    // `baseUrl` ends before "/chat/completions" ("http://127.0.0.1:8080/v1").
    OpenAICompatibleModel(QUrl baseUrl, QString modelName, Scheduler& scheduler,
                          Duration requestTimeout = defaultRequestTimeout);
    ~OpenAICompatibleModel() override;

    QCoro::Task<PartialSummary> respond(QString prompt, QByteArray schema,
                                        CancelToken cancel) override;
    QCoro::Task<ModelAvailability> availability() override;
    QString description() const override;

    // The body of a chat request. The schema goes into the response format and, as the
    // model also needs to read it, after the prompt.
    static QByteArray requestBody(const QString& model, const QString& prompt,
                                  const QByteArray& schema);
    // The text sent as the user message.
    static QString promptWithSchema(const QString& prompt, const QByteArray& schema);

private:
    struct Reply {
        int status = 0; // 0 when no HTTP answer came
        QByteArray body;
        bool connectionRefused = false;
        bool timedOut = false;
        bool cancelled = false;
        QString networkError;
    };

    QCoro::Task<Reply> send(QNetworkRequest request, std::optional<QByteArray> body,
                            Duration timeout, CancelToken cancel);
    QCoro::Task<QString> resolveModelName(CancelToken cancel);
    QUrl endpoint(const QString& path) const;
    QUrl healthUrl() const;
    static LanguageModelError errorFor(const Reply& reply);

    QUrl baseUrl_;
    QString modelName_;
    Scheduler& scheduler_;
    Duration requestTimeout_;
    std::unique_ptr<QNetworkAccessManager> network_;
};

} // namespace velmora
