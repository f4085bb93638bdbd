#pragma once

#include "library/MeetingRecord.h"

#include <QString>

#include <functional>
#include <optional>

class QSettings;
class QWidget;

namespace velmora {

class AppState;
class CompositionRoot;
class FileRevealer;
class MeetingNotesProvider;
class OutputDirectoryProvider;
class Scheduler;
class SearchSession;

// What the main window works with, from the composition root. Actions that leave the window
// (deleting, summarising, opening folders) are callbacks so tests can watch them.
struct MainWindowServices {
    AppState& appState;
    MeetingNotesProvider& notes;
    OutputDirectoryProvider& outputDirectory;
    FileRevealer& fileRevealer;
    Scheduler& scheduler;
    QSettings& settings; // window geometry
    std::function<void(const MeetingRecord&)> updateRecord;
    std::function<void(const MeetingRecord&)> deleteMeeting;
    std::function<void(const MeetingRecord&, const std::optional<QString>& notes)> summarizeMeeting;
    // Opens a folder in the file manager.
    std::function<void(const QString& folder)> openFolder;
    // Asks before a meeting is deleted; true to delete. Defaults to a message box.
    std::function<bool(QWidget* parent, const MeetingRecord&)> confirmDelete = {};
    // The search above the meeting list; none without it.
    SearchSession* search = nullptr;

    // The application's own objects: the controller deletes and summarises.
    static MainWindowServices from(CompositionRoot& root);
};

} // namespace velmora
