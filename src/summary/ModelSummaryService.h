#pragma once

#include "summary/LanguageModel.h"
#include "summary/PartialSummary.h"
#include "summary/SummaryService.h"

#include <QList>
#include <QString>

#include <memory>

namespace velmora {

// Summaries written by a language model: one request for a short transcript, else one per
// chunk of whole lines followed by one that merges the chunks' partial summaries. Requests run
// one after the other. A request the model refuses as too long is split in two and both
// halves are sent, down to pieces of about 500 characters, so no line is left out unless the
// model refuses even those: at most 1 + 2 + 4 + 8 + 16 = 31 requests for one chunk.
class ModelSummaryService final : public SummaryService {
public:
    static constexpr qsizetype maxChunkChars = 8000;
    // A piece that fails at this chunk size or below is given up.
    static constexpr qsizetype smallestChunkSize = 999;
    static const QString chunkPrompt;
    static const QString reducePrompt;
    static const QString notesHeading;

    explicit ModelSummaryService(std::shared_ptr<LanguageModel> model);

    // Writes a file only when the model gave something: a failed model must not replace an
    // earlier summary of the meeting with an empty one.
    QCoro::Task<std::optional<GeneratedSummary>> generateSummary(
        QString transcriptPath, std::optional<QString> notes, SummaryRun run = {}) override;

    // The model's summary of cleaned transcript text; nullopt when no request succeeded.
    // Throws LanguageModelError only when cancelled.
    QCoro::Task<std::optional<PartialSummary>> summarize(QString cleaned, QString notesBlock,
                                                          SummaryRun run);
    QCoro::Task<std::optional<PartialSummary>> summarizeChunk(QString chunk, qsizetype chunkSize,
                                                               QString notesBlock, SummaryRun run);
    QCoro::Task<std::optional<PartialSummary>> mapReduceSummary(QString text, QString notesBlock,
                                                                 SummaryRun run);
    QCoro::Task<PartialSummary> reducePartials(QList<PartialSummary> partials, QString notesBlock,
                                               SummaryRun run);

    // The notes block that goes between the instructions and the text, or "".
    static QString notesSuffix(const std::optional<QString>& notes);
    static QString partialsText(const QList<PartialSummary>& partials);
    const LanguageModel& model() const { return *model_; }

private:
    std::shared_ptr<LanguageModel> model_;
};

} // namespace velmora
