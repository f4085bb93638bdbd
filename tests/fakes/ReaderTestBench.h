#pragma once

#include "capture/VelmoraError.h"
#include "fakes/CaptionCollector.h"
#include "fakes/FakeReaderEnvironment.h"
#include "sources/PIDCache.h"

#include <gtest/gtest.h>

#include <optional>

namespace velmora {

// The error a reader's start fails with, or nothing when it starts.
std::optional<VelmoraError> startFailure(CaptionReader& reader);

// A reader of type `Reader` over a fake tree in virtual time, one poll per second.
template <typename Reader>
class ReaderTestBench : public ::testing::Test, protected FakeReaderEnvironment {
protected:
    PIDCache pidCache{ax, clock};
    std::optional<CaptionCollector> collected;

    // Lets the loops of readers released by the test see their cancellation and end.
    void TearDown() override { scheduler.runDue(); }

    // Starts a reader and runs its first poll.
    std::shared_ptr<Reader> start() {
        auto reader = std::make_shared<Reader>(env, pidCache);
        collected.emplace(reader->captions());
        reader->startReading();
        scheduler.runDue();
        return reader;
    }
    void poll(int times = 1) {
        for (int i = 0; i < times; ++i)
            scheduler.advance(std::chrono::seconds(1));
    }
    // "speaker: text" per entry.
    static QStringList lines(const CaptionSnapshot& snapshot) {
        QStringList out;
        for (const CaptionEntry& entry : snapshot)
            out.append(entry.speaker + QStringLiteral(": ") + entry.text);
        return out;
    }
};

} // namespace velmora
