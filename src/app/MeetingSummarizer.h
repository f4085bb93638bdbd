#pragma once

#include "capture/CancelToken.h"
#include "library/MeetingRecord.h"
#include "summary/SummaryService.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace velmora {

class AppState;
class MeetingHistoryProvider;

// Runs the summaries the user asks for, tells AppState which meeting is being summarised and
// how far along it is, and stores each new summary's path in the meeting's record as it is
// stored now. Main thread.
class MeetingSummarizer final : public QObject {
    Q_OBJECT
public:
    using HistoryAccess = std::function<std::shared_ptr<MeetingHistoryProvider>()>;

    // `history` gives the history of the current output folder when a summary is done.
    MeetingSummarizer(AppState& appState, HistoryAccess history,
                      std::shared_ptr<SummaryService> service, std::function<void()> refreshMeetings,
                      QObject* parent = nullptr);
    ~MeetingSummarizer() override;

    // Does nothing for a record without a transcript.
    void summarizeMeeting(const MeetingRecord& record, const std::optional<QString>& notes);
    // Ends every running summary; none of them touches a record afterwards.
    void cancelAll();

private:
    static QCoro::Task<> run(QPointer<MeetingSummarizer> self, std::shared_ptr<SummaryService> service,
                             MeetingRecord record, std::optional<QString> notes, CancelToken token);
    void storeSummaryPath(const QUuid& id, const GeneratedSummary& summary);
    void finish();

    AppState& appState_;
    HistoryAccess history_;
    std::shared_ptr<SummaryService> service_;
    std::function<void()> refreshMeetings_;
    std::vector<CancelToken> tasks_;
};

} // namespace velmora
