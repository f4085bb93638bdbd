#include "library/search/SearchSession.h"

#include "library/search/MeetingSearchIndex.h"

namespace velmora {

SearchSession::SearchSession(Scheduler& scheduler, QObject* parent)
    : QObject(parent), scheduler_(scheduler) {}

SearchSession::~SearchSession() {
    if (pending_)
        scheduler_.cancel(*pending_);
}

void SearchSession::setIndex(MeetingSearchIndex* index) {
    disconnect(indexChanged_);
    index_ = index;
    if (index)
        indexChanged_ = connect(index, &MeetingSearchIndex::indexChanged, this, [this] {
            if (isActive())
                schedule(Duration::zero());
        });
    if (isActive())
        schedule(Duration::zero());
}

void SearchSession::setQuery(const QString& text) {
    if (text == query_)
        return;
    query_ = text;
    ++generation_;
    if (isActive()) {
        schedule(typingPause);
        return;
    }
    if (pending_)
        scheduler_.cancel(*std::exchange(pending_, std::nullopt));
    emit cleared();
}

void SearchSession::schedule(Duration delay) {
    if (pending_)
        scheduler_.cancel(*pending_);
    pending_ = scheduler_.schedule(delay, [this] {
        pending_.reset();
        run();
    });
}

QCoro::Task<> SearchSession::run() {
    if (!index_)
        co_return;
    const quint64 generation = ++generation_;
    QPointer<SearchSession> self(this);
    auto answer = index_->search(query_);
    SearchOutcome outcome = co_await answer;
    if (self && generation == generation_)
        emit resultsReady(outcome);
}

} // namespace velmora
