#pragma once

#include "capture/CaptionReader.h"
#include "fidelity/SyntheticMeeting.h"

namespace velmora::fidelity {

// A caption reader whose polls are a synthetic meeting's: all of them are queued at start, then
// the stream ends as if the meeting window had closed.
class MeetingReader final : public CaptionReader {
public:
    explicit MeetingReader(const SyntheticMeeting& meeting) : meeting_(meeting) {}

    std::shared_ptr<CaptionStream> captions() const override { return stream_; }
    QCoro::Task<> startReading() override {
        for (const SyntheticPoll& poll : meeting_.polls)
            stream_->send(poll.lines);
        stream_->finish();
        co_return;
    }
    void stopReading() override { stream_->finish(); }
    bool linesCanScroll() const override { return fidelityLayout(meeting_.style) == FidelityStyle::rollingLine; }
    bool reusesLinePlaces() const override {
        const FidelityStyle layout = fidelityLayout(meeting_.style);
        return layout == FidelityStyle::rollingLine || layout == FidelityStyle::zoomWebSlots;
    }

private:
    const SyntheticMeeting& meeting_;
    std::shared_ptr<CaptionStream> stream_ = std::make_shared<CaptionStream>();
};

} // namespace velmora::fidelity
