#pragma once

#include "capture/CaptionReader.h"

#include <QList>

#include <memory>

namespace velmora {

// Consumes a caption stream to its end, keeping every snapshot.
class CaptionCollector {
public:
    explicit CaptionCollector(std::shared_ptr<CaptionStream> stream);

    QList<CaptionSnapshot> snapshots() const { return state_->snapshots; }
    CaptionSnapshot last() const { return state_->snapshots.value(state_->snapshots.size() - 1); }
    qsizetype count() const { return state_->snapshots.size(); }
    bool ended() const { return state_->ended; }

private:
    struct State {
        QList<CaptionSnapshot> snapshots;
        bool ended = false;
    };
    static QCoro::Task<> consume(std::shared_ptr<CaptionStream> stream, std::shared_ptr<State> state);

    std::shared_ptr<State> state_;
};

} // namespace velmora
