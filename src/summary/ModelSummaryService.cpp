#include "summary/ModelSummaryService.h"

#include "summary/Logging.h"
#include "summary/LanguageModelError.h"
#include "summary/PreparedTranscript.h"
#include "summary/SummaryFile.h"
#include "summary/SummarySchema.h"
#include "summary/TranscriptPreparation.h"

namespace velmora {

using TranscriptPreparation::graphemeCount;

const QString ModelSummaryService::chunkPrompt = QStringLiteral(
    "Summarize this meeting transcript.\n"
    "- Use names and facts from the transcript.\n"
    "- Ignore garbled or nonsensical words from speech recognition.\n"
    "- Leave action items and decisions empty if none are stated.\n"
    "- Incorporate any user notes as action items, topics, or decisions.\n\n"
    "Transcript:\n");

const QString ModelSummaryService::reducePrompt = QStringLiteral(
    "Merge these partial summaries from one meeting into a single summary.\n"
    "- Keep the 5-8 most specific topics.\n"
    "- Remove duplicate action items and decisions.\n"
    "- Use information from the partials.\n"
    "- Incorporate any user notes as action items, topics, or decisions.\n\n"
    "Partials:\n");

const QString ModelSummaryService::notesHeading = QStringLiteral(
    "IMPORTANT \u2014 User's personal meeting notes. Incorporate these as action items, topics, "
    "or decisions:\n");

ModelSummaryService::ModelSummaryService(std::shared_ptr<LanguageModel> model)
    : model_(std::move(model)) {}

QString ModelSummaryService::notesSuffix(const std::optional<QString>& notes) {
    if (!notes || notes->trimmed().isEmpty())
        return {};
    return notesHeading + *notes + QStringLiteral("\n\n");
}

QCoro::Task<std::optional<GeneratedSummary>> ModelSummaryService::generateSummary(
    QString transcriptPath, std::optional<QString> notes, SummaryRun run) {
    const std::optional<PreparedTranscript> prepared = PreparedTranscript::load(transcriptPath);
    if (!prepared)
        co_return std::nullopt;
    auto summarizing = summarize(prepared->cleaned, notesSuffix(notes), run);
    const std::optional<PartialSummary> result = co_await summarizing;
    if (!result)
        co_return std::nullopt;
    const QString path = SummaryFile::writeSummary(transcriptPath, *result, prepared->attendees);
    GeneratedSummary generated{path, SummaryEngine::model, model_->description()};
    co_return generated;
}

QCoro::Task<std::optional<PartialSummary>> ModelSummaryService::summarize(QString cleaned,
                                                                           QString notesBlock,
                                                                           SummaryRun run) {
    const qsizetype length = graphemeCount(cleaned);
    if (length <= maxChunkChars) {
        qCInfo(lcSummary, "Short transcript (%ld chars), single-shot summary", long(length));
        run.report({1, 1, false});
        auto single = summarizeChunk(cleaned, maxChunkChars, notesBlock, run);
        co_return co_await single;
    }
    qCInfo(lcSummary, "Long transcript (%ld chars), using map-reduce", long(length));
    auto mapping = mapReduceSummary(cleaned, notesBlock, run);
    co_return co_await mapping;
}

QCoro::Task<std::optional<PartialSummary>> ModelSummaryService::summarizeChunk(
    QString chunk, qsizetype chunkSize, QString notesBlock, SummaryRun run) {
    std::optional<LanguageModelError> failure;
    try {
        auto responding = model_->respond(chunkPrompt + notesBlock + chunk, SummarySchema::json(),
                                          run.cancel);
        co_return co_await responding;
    } catch (const LanguageModelError& error) {
        if (error.kind() == LanguageModelError::Kind::cancelled)
            throw;
        failure = error;
    }
    if (failure->kind() != LanguageModelError::Kind::generation) {
        qCWarning(lcSummary, "Chunk summary failed: %s", failure->what());
        co_return std::nullopt;
    }
    const qsizetype half = chunkSize / 2;
    qCWarning(lcSummary, "Generation error (%ld chars), retrying with halved size %ld",
              long(graphemeCount(chunk)), long(half));
    if (chunkSize <= smallestChunkSize) {
        qCWarning(lcSummary, "Chunk too small to retry, skipping");
        qCWarning(lcSummary, "Left out of the summary (%ld chars): %s", long(graphemeCount(chunk)),
                  qUtf8Printable(chunk.left(80).simplified()));
        co_return std::nullopt;
    }
    // Both halves are summarised: retrying only the start would leave the rest unread.
    std::optional<PartialSummary> combined;
    for (const QString& piece : TranscriptPreparation::bisect(chunk)) {
        auto retrying = summarizeChunk(piece, half, notesBlock, run);
        const std::optional<PartialSummary> partial = co_await retrying;
        if (!partial)
            continue;
        if (!combined)
            combined.emplace();
        combined->append(*partial);
    }
    co_return combined;
}

QCoro::Task<std::optional<PartialSummary>> ModelSummaryService::mapReduceSummary(
    QString text, QString notesBlock, SummaryRun run) {
    const QStringList chunks = TranscriptPreparation::splitIntoChunks(text, maxChunkChars);
    qCInfo(lcSummary, "Split transcript into %ld chunks", long(chunks.size()));
    QList<PartialSummary> partials;
    for (qsizetype i = 0; i < chunks.size(); ++i) {
        qCInfo(lcSummary, "Summarizing chunk %ld/%ld (%ld chars)", long(i + 1), long(chunks.size()),
               long(graphemeCount(chunks[i])));
        run.report({int(i + 1), int(chunks.size()), false});
        auto summarizing = summarizeChunk(chunks[i], maxChunkChars, notesBlock, run);
        if (std::optional<PartialSummary> partial = co_await summarizing)
            partials.append(*partial);
    }
    if (partials.isEmpty()) {
        qCWarning(lcSummary, "All chunks failed, no summary produced");
        co_return std::nullopt;
    }
    if (partials.size() == 1)
        co_return partials.first();
    run.report({int(chunks.size()), int(chunks.size()), true});
    auto reducing = reducePartials(partials, notesBlock, run);
    co_return co_await reducing;
}

QString ModelSummaryService::partialsText(const QList<PartialSummary>& partials) {
    QString text;
    for (qsizetype i = 0; i < partials.size(); ++i) {
        const PartialSummary& partial = partials[i];
        text += QStringLiteral("--- Segment %1 ---\n").arg(i + 1);
        if (!partial.topics.isEmpty())
            text += QStringLiteral("Topics: ") + partial.topics.join(QStringLiteral("; ")) + u'\n';
        if (!partial.actionItems.isEmpty())
            text += QStringLiteral("Action items: ") + partial.actionItems.join(QStringLiteral("; ")) + u'\n';
        if (!partial.decisions.isEmpty())
            text += QStringLiteral("Decisions: ") + partial.decisions.join(QStringLiteral("; ")) + u'\n';
        text += u'\n';
    }
    return text;
}

QCoro::Task<PartialSummary> ModelSummaryService::reducePartials(QList<PartialSummary> partials,
                                                                QString notesBlock, SummaryRun run) {
    std::optional<LanguageModelError> failure;
    try {
        auto responding = model_->respond(reducePrompt + notesBlock + partialsText(partials),
                                          SummarySchema::json(), run.cancel);
        co_return co_await responding;
    } catch (const LanguageModelError& error) {
        if (error.kind() == LanguageModelError::Kind::cancelled)
            throw;
        failure = error;
    }
    qCWarning(lcSummary, "Reduce pass failed: %s, falling back to concatenation", failure->what());
    PartialSummary concatenated;
    for (const PartialSummary& partial : partials)
        concatenated.append(partial);
    co_return concatenated;
}

} // namespace velmora
