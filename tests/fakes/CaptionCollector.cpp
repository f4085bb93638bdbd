#include "fakes/CaptionCollector.h"

namespace velmora {

CaptionCollector::CaptionCollector(std::shared_ptr<CaptionStream> stream)
    : state_(std::make_shared<State>()) {
    consume(std::move(stream), state_);
}

QCoro::Task<> CaptionCollector::consume(std::shared_ptr<CaptionStream> stream,
                                        std::shared_ptr<State> state) {
    while (true) {
        auto next = stream->next();
        std::optional<CaptionSnapshot> snapshot = co_await next;
        if (!snapshot)
            break;
        state->snapshots.append(*snapshot);
    }
    state->ended = true;
}

} // namespace velmora
