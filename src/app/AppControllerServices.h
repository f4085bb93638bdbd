#pragma once

#include "app/FormatSettingsProvider.h"
#include "capture/TranscriptWriting.h"
#include "summary/NullSummaryService.h"

#include <QString>

#include <functional>
#include <memory>

namespace velmora {

class Accessibility;
class AppState;
class BrowserProcessCache;
class Clock;
class MeetingLibrary;
class NotificationService;
class PIDCache;
class Scheduler;
class SerialExecutor;

// Everything the application controller works with, handed in by the composition root
// (production services) or by a test (fakes).
struct AppControllerServices {
    using WriterFactory = std::function<std::shared_ptr<TranscriptWriting>(
        const QString& outputDirectory, const Clock& clock, const QString& meetingTitle,
        const std::shared_ptr<const TranscriptFormatter>& formatter)>;

    AppState& appState;
    FormatSettingsProvider& formatSettings;
    NotificationService& notifications;
    // The output folder and its meeting history.
    MeetingLibrary& library;
    const Clock& clock;
    Accessibility& accessibility;
    SerialExecutor& accessibilityQueue;
    Scheduler& scheduler;
    PIDCache& pidCache;
    BrowserProcessCache& browserCache;
    // Makes the writer of a new meeting; the default writes real transcript files.
    WriterFactory makeWriter = defaultWriterFactory();
    // Writes the summaries the user asks for; the composition root hands in the configured one.
    std::shared_ptr<SummaryService> summaryService = std::make_shared<NullSummaryService>();

    // Where a transcript goes when its own folder does not take it at the end (the folder
    // itself is tried first).
    QString recoveryDirectory = defaultRecoveryDirectory();

    static WriterFactory defaultWriterFactory();
    static QString defaultRecoveryDirectory();
};

} // namespace velmora
