#pragma once

#include "summary/ExtractiveSummaryService.h"
#include "summary/LanguageModel.h"
#include "summary/SummaryEngineChoice.h"
#include "summary/SummaryService.h"

#include <QUrl>

#include <memory>
#include <vector>

namespace velmora {

class Scheduler;

// The summary service the application uses: the engine the user chose, and for `automatic`
// the first model server that answers, else the built-in engine (also when the model gives
// nothing). The log says which engine wrote each file.
class ConfiguredSummaryService final : public SummaryService {
public:
    static const QList<QUrl>& defaultServerUrls(); // llama-server, then Ollama

    // `candidates` are tried in order; the first that is available is used.
    ConfiguredSummaryService(SummaryEngineChoice choice,
                             std::vector<std::shared_ptr<LanguageModel>> candidates);
    // Models over HTTP at `url`, or at the default addresses when it is empty.
    static std::vector<std::shared_ptr<LanguageModel>> serverModels(const QUrl& url,
                                                                    const QString& modelName,
                                                                    Scheduler& scheduler);

    QCoro::Task<std::optional<GeneratedSummary>> generateSummary(
        QString transcriptPath, std::optional<QString> notes, SummaryRun run = {}) override;

private:
    QCoro::Task<std::shared_ptr<LanguageModel>> availableModel();
    QString candidateList() const;

    SummaryEngineChoice choice_;
    std::vector<std::shared_ptr<LanguageModel>> candidates_;
    ExtractiveSummaryService extractive_;
};

} // namespace velmora
