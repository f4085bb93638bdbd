#pragma once

#include "capture/Scheduler.h"
#include "library/search/SearchResult.h"

#include <QCoroTask>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <optional>

namespace velmora {

class MeetingSearchIndex;

// The search a window shows while the user types: waits for a pause in typing, runs the query
// on the current index and reports only the answer to the newest text, so a slow answer to an
// older query never replaces a newer one. Runs the query again when the index changes, so the
// results follow a meeting being recorded or a folder being switched.
class SearchSession final : public QObject {
    Q_OBJECT
public:
    // Typing faster than this runs one query, for the last text.
    static constexpr Duration typingPause = std::chrono::milliseconds(250);

    explicit SearchSession(Scheduler& scheduler, QObject* parent = nullptr);
    ~SearchSession() override;

    // The index of the output directory shown now; null while there is none.
    void setIndex(MeetingSearchIndex* index);

    // Blank text ends the search at once.
    void setQuery(const QString& text);
    QString query() const { return query_; }
    bool isActive() const { return !query_.trimmed().isEmpty(); }

signals:
    // The answer to `query()`; `outcome.error` holds a message for the user.
    void resultsReady(const velmora::SearchOutcome& outcome);
    // The query was cleared: the window shows its meeting list again.
    void cleared();

private:
    void schedule(Duration delay);
    QCoro::Task<> run();

    Scheduler& scheduler_;
    QPointer<MeetingSearchIndex> index_;
    QMetaObject::Connection indexChanged_;
    QString query_;
    std::optional<Scheduler::TimerId> pending_;
    quint64 generation_ = 0; // bumped by every new query; older answers are dropped
};

} // namespace velmora
