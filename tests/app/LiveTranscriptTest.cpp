#include "app/AppState.h"
#include "capture/SessionCoordinator.h"
#include "fakes/ManualClock.h"
#include "fakes/ManualScheduler.h"
#include "fidelity/CollectingWriter.h"
#include "fidelity/MeetingGenerator.h"
#include "fidelity/MeetingReader.h"

#include <QCoroTask>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::fidelity;

namespace {

QStringList texts(const QList<CaptionEntry>& entries) {
    QStringList result;
    for (const CaptionEntry& entry : entries)
        result << entry.timestamp.toString(Qt::ISODateWithMs) + u' ' + entry.speaker + QStringLiteral(": ") + entry.text;
    return result;
}

// The window shows, while the meeting runs, the transcript that is being saved: at every poll
// the entries already written are exactly the file's, and at the end the whole live transcript
// is the file's, entry for entry, on synthetic meetings of every client's caption style.
TEST(LiveTranscriptTest, LiveTranscriptIsTheSavedTranscript) {
    for (FidelityStyle style : allFidelityStyles) {
        for (std::uint64_t seed : {1, 2, 3}) {
            SCOPED_TRACE(fidelityStyleName(style).toStdString() + " seed " + std::to_string(seed));
            ManualScheduler scheduler;
            ManualClock clock(scheduler);
            const SyntheticMeeting meeting = MeetingGenerator::generate(style, seed);
            auto reader = std::make_shared<MeetingReader>(meeting);
            auto writer = std::make_shared<CollectingWriter>();
            auto coordinator = std::make_shared<SessionCoordinator>(reader, writer, clock);
            AppState state;
            int updates = 0;
            int mismatches = 0;
            coordinator->setOnTranscript([&](qsizetype written, const QList<CaptionEntry>& pending) {
                ++updates;
                if (writer->entries.size() != written ||
                    state.liveTranscriptEntries().first(std::min(written, state.liveTranscriptEntries().size())) !=
                        writer->entries)
                    ++mismatches;
                state.updateLiveTranscript(written, pending);
            });
            QCoro::waitFor(coordinator->start());

            EXPECT_GT(updates, 100);
            EXPECT_EQ(mismatches, 0);
            ASSERT_GT(writer->entries.size(), 10);
            EXPECT_EQ(texts(state.liveTranscriptEntries()), texts(writer->entries));
        }
    }
}

} // namespace
