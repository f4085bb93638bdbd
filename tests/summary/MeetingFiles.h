#pragma once

#include "capture/CaptionEntry.h"
#include "capture/MarkdownFormatter.h"
#include "capture/TranscriptWriter.h"
#include "fakes/AwaitTask.h"
#include "fakes/ManualClock.h"
#include "fakes/ManualScheduler.h"

#include <QFile>

#include <utility>

namespace velmora {

// Writes a meeting through the real transcript writer (one caption line every 7 seconds) and
// returns the transcript's path.
inline QString writeMeeting(const QString& directory, const QList<std::pair<QString, QString>>& lines) {
    ManualScheduler scheduler;
    ManualClock clock{scheduler};
    auto writer = std::make_shared<TranscriptWriter>(
        directory, clock, QStringLiteral("Teams"), std::make_shared<MarkdownFormatter>());
    QList<CaptionEntry> entries;
    for (qsizetype i = 0; i < lines.size(); ++i)
        entries.append({clock.now().addSecs(i * 7), lines[i].first, lines[i].second});
    awaitVoid(writer->setStartTimeIfNeeded(clock.now()));
    awaitVoid(writer->createMissingFiles());
    awaitVoid(writer->append(entries));
    awaitVoid(writer->finalize());
    return *awaitTask(writer->transcriptPath()).value.value();
}

inline QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace velmora
