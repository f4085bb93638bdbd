#pragma once

#include "capture/AsyncChannel.h"
#include "capture/CaptionEntry.h"

#include <QCoroTask>

#include <memory>

namespace velmora {

using CaptionStream = AsyncChannel<CaptionSnapshot>;

// A source of caption snapshots: one complete list of visible lines per poll. The stream ends
// when the reader decides the meeting is over or when stopReading is called, and never
// restarts: one reader serves one capture.
class CaptionReader {
public:
    virtual ~CaptionReader() = default;

    virtual std::shared_ptr<CaptionStream> captions() const = 0;
    // Starts polling and returns without waiting for a poll. Throws VelmoraError (or the
    // reader's own error when the application cannot be reached).
    virtual QCoro::Task<> startReading() = 0;
    virtual void stopReading() = 0;
    // Whether a caption line may show only its last part and scroll on as the speaker goes on
    // (a rolling line); readers whose lines always show from their first word say no.
    virtual bool linesCanScroll() const { return true; }
    // Whether a speaker's next sentence may take the place of their previous line (the line's
    // element is reused). Where it cannot, a line rewritten in its place was revised.
    virtual bool reusesLinePlaces() const { return true; }
};

} // namespace velmora
