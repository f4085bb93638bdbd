#pragma once

#include "capture/CaptionReader.h"
#include "capture/VelmoraError.h"

#include <optional>

namespace velmora {

// A caption reader driven by the test: each poll() delivers one snapshot at once.
class ScriptedCaptionReader final : public CaptionReader {
public:
    std::shared_ptr<CaptionStream> captions() const override { return stream; }
    QCoro::Task<> startReading() override {
        ++startCount;
        if (startError)
            throw *startError;
        co_return;
    }
    void stopReading() override {
        ++stopCount;
        stream->finish();
    }

    bool linesCanScroll() const override { return canScroll; }
    bool reusesLinePlaces() const override { return reusesPlaces; }

    void poll(const CaptionSnapshot& snapshot) { stream->send(snapshot); }
    void pollEmpty(int times = 1) {
        for (int i = 0; i < times; ++i)
            stream->send({});
    }
    // The source is gone.
    void end() { stream->finish(); }

    std::shared_ptr<CaptionStream> stream = std::make_shared<CaptionStream>();
    std::optional<VelmoraError> startError;
    bool canScroll = true;
    bool reusesPlaces = true;
    int startCount = 0;
    int stopCount = 0;
};

} // namespace velmora
