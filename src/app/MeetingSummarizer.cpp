#include "app/MeetingSummarizer.h"

#include "app/AppState.h"
#include "app/Logging.h"
#include "library/MeetingHistoryProvider.h"
#include "summary/LanguageModelError.h"

#include <QFileInfo>

namespace velmora {

MeetingSummarizer::MeetingSummarizer(AppState& appState, HistoryAccess history,
                                     std::shared_ptr<SummaryService> service,
                                     std::function<void()> refreshMeetings, QObject* parent)
    : QObject(parent), appState_(appState), history_(std::move(history)), service_(std::move(service)),
      refreshMeetings_(std::move(refreshMeetings)) {}

MeetingSummarizer::~MeetingSummarizer() {
    cancelAll();
}

void MeetingSummarizer::summarizeMeeting(const MeetingRecord& record,
                                         const std::optional<QString>& notes) {
    if (!record.transcriptPath)
        return;
    appState_.setSummaryGeneratingMeetingID(record.id);
    appState_.setSummaryProgress(std::nullopt);
    CancelToken token;
    tasks_.push_back(token);
    run(this, service_, record, notes, token);
}

void MeetingSummarizer::cancelAll() {
    for (CancelToken& token : std::exchange(tasks_, {}))
        token.cancel();
}

QCoro::Task<> MeetingSummarizer::run(QPointer<MeetingSummarizer> self,
                                     std::shared_ptr<SummaryService> service, MeetingRecord record,
                                     std::optional<QString> notes, CancelToken token) {
    SummaryRun summaryRun;
    summaryRun.cancel = token;
    summaryRun.onProgress = [self, token, id = record.id](const SummaryProgress& progress) {
        if (self && !token.isCancelled() && self->appState_.summaryGeneratingMeetingID() == id)
            self->appState_.setSummaryProgress(progress);
    };
    std::optional<GeneratedSummary> summary;
    std::optional<QString> failure;
    try {
        auto generating = service->generateSummary(*record.transcriptPath, notes, summaryRun);
        summary = co_await generating;
    } catch (const LanguageModelError& error) {
        if (error.kind() != LanguageModelError::Kind::cancelled)
            failure = error.message();
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    if (!self || token.isCancelled())
        co_return;
    std::erase(self->tasks_, token);
    if (failure)
        qCWarning(lcApp, "Summary generation failed: %s", qUtf8Printable(*failure));
    else if (summary)
        self->storeSummaryPath(record.id, *summary);
    self->finish();
}

void MeetingSummarizer::storeSummaryPath(const QUuid& id, const GeneratedSummary& summary) {
    // The record as stored now: finalisation may have added its duration or notes meanwhile.
    const std::shared_ptr<MeetingHistoryProvider> history = history_();
    const QList<MeetingRecord> records = history ? history->records() : QList<MeetingRecord>();
    const auto current = std::find_if(records.begin(), records.end(),
                                      [&](const MeetingRecord& r) { return r.id == id; });
    if (current == records.end()) {
        qCWarning(lcApp, "Summary generated for a meeting no longer in the history: %s",
                  qUtf8Printable(QFileInfo(summary.path).fileName()));
        return;
    }
    MeetingRecord updated = *current;
    updated.summaryPath = summary.path;
    history->updateRecord(updated);
    if (refreshMeetings_)
        refreshMeetings_();
    qCInfo(lcApp, "Summary generated: %s (%s)", qUtf8Printable(QFileInfo(summary.path).fileName()),
           qUtf8Printable(summary.engineDescription));
}

void MeetingSummarizer::finish() {
    appState_.setSummaryGeneratingMeetingID(std::nullopt);
    appState_.setSummaryProgress(std::nullopt);
}

} // namespace velmora
