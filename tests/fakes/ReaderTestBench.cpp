#include "fakes/ReaderTestBench.h"

namespace velmora {

namespace {
QCoro::Task<> tryStart(CaptionReader& reader, std::optional<VelmoraError>& error) {
    try {
        auto starting = reader.startReading();
        co_await starting;
    } catch (const VelmoraError& e) {
        error = e;
    }
}
} // namespace

std::optional<VelmoraError> startFailure(CaptionReader& reader) {
    std::optional<VelmoraError> error;
    // Starting never waits for a poll, so the attempt is complete when this returns.
    tryStart(reader, error);
    return error;
}

} // namespace velmora
