#include "summary/ExtractiveSummaryService.h"

#include "summary/Logging.h"
#include "summary/ExtractiveSummarizer.h"
#include "summary/PreparedTranscript.h"
#include "summary/SummaryFile.h"

namespace velmora {

QCoro::Task<std::optional<GeneratedSummary>> ExtractiveSummaryService::generateSummary(
    QString transcriptPath, std::optional<QString> notes, SummaryRun run) {
    const std::optional<PreparedTranscript> prepared = PreparedTranscript::load(transcriptPath);
    if (!prepared)
        co_return std::nullopt;
    run.report({1, 1, false});
    const PartialSummary summary =
        ExtractiveSummarizer::summarize(prepared->cleaned, prepared->attendees, notes.value_or(QString()));
    qCInfo(lcSummary, "Extractive summary: %ld topics, %ld action items, %ld decisions",
           long(summary.topics.size()), long(summary.actionItems.size()),
           long(summary.decisions.size()));
    const QString path = SummaryFile::writeSummary(transcriptPath, summary, prepared->attendees);
    GeneratedSummary generated{path, SummaryEngine::extractive, description()};
    co_return generated;
}

} // namespace velmora
