#include "summary/ConfiguredSummaryService.h"

#include "summary/Logging.h"
#include "summary/ModelSummaryService.h"
#include "summary/OpenAICompatibleModel.h"
#include "summary/PreparedTranscript.h"

namespace velmora {

const QList<QUrl>& ConfiguredSummaryService::defaultServerUrls() {
    static const QList<QUrl> urls{QUrl(QStringLiteral("http://127.0.0.1:8080/v1")),
                                  QUrl(QStringLiteral("http://127.0.0.1:11434/v1"))};
    return urls;
}

ConfiguredSummaryService::ConfiguredSummaryService(
    SummaryEngineChoice choice, std::vector<std::shared_ptr<LanguageModel>> candidates)
    : choice_(choice), candidates_(std::move(candidates)) {}

std::vector<std::shared_ptr<LanguageModel>> ConfiguredSummaryService::serverModels(
    const QUrl& url, const QString& modelName, Scheduler& scheduler) {
    std::vector<std::shared_ptr<LanguageModel>> models;
    const QList<QUrl> urls = url.isEmpty() ? defaultServerUrls() : QList<QUrl>{url};
    for (const QUrl& candidate : urls)
        models.push_back(std::make_shared<OpenAICompatibleModel>(candidate, modelName, scheduler));
    return models;
}

QString ConfiguredSummaryService::candidateList() const {
    QStringList described;
    for (const auto& model : candidates_)
        described.append(model->description());
    return described.join(QStringLiteral(", "));
}

QCoro::Task<std::shared_ptr<LanguageModel>> ConfiguredSummaryService::availableModel() {
    for (const auto& model : candidates_) {
        auto asking = model->availability();
        const ModelAvailability availability = co_await asking;
        if (availability == ModelAvailability::available)
            co_return model;
        if (availability == ModelAvailability::loading)
            qCInfo(lcSummary, "The %s is still loading", qUtf8Printable(model->description()));
    }
    co_return std::shared_ptr<LanguageModel>();
}

QCoro::Task<std::optional<GeneratedSummary>> ConfiguredSummaryService::generateSummary(
    QString transcriptPath, std::optional<QString> notes, SummaryRun run) {
    if (choice_ != SummaryEngineChoice::extractive) {
        auto finding = availableModel();
        const std::shared_ptr<LanguageModel> model = co_await finding;
        if (model) {
            qCInfo(lcSummary, "Summarizing with the %s", qUtf8Printable(model->description()));
            ModelSummaryService service(model);
            auto generating = service.generateSummary(transcriptPath, notes, run);
            std::optional<GeneratedSummary> summary = co_await generating;
            if (summary || choice_ == SummaryEngineChoice::model)
                co_return summary;
            qCWarning(lcSummary, "The model gave no summary; the extractive engine writes it");
        } else if (choice_ == SummaryEngineChoice::model) {
            qCWarning(lcSummary, "No model server answers (%s), no summary produced",
                      qUtf8Printable(candidateList()));
            // An unreadable transcript is still reported as such.
            PreparedTranscript::load(transcriptPath);
            co_return std::nullopt;
        } else {
            qCInfo(lcSummary, "No model server answers (%s); the extractive engine writes the summary",
                   qUtf8Printable(candidateList()));
        }
    }
    auto extracting = extractive_.generateSummary(transcriptPath, notes, run);
    co_return co_await extracting;
}

} // namespace velmora
