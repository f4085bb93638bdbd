#pragma once

#include "app/CaptureState.h"
#include "app/MenuEntry.h"
#include "library/MeetingRecord.h"

#include <QDateTime>
#include <QList>

namespace velmora {

class AppState;
class Clock;
class TrayMenuActions;

// The tray menu, built afresh from the application state and the files on disk each time it
// opens; it keeps nothing between openings.
class TrayMenuModel {
public:
    // The tray icon: a warning, a recording mark, or the watching eye.
    enum class Icon { error, capturing, watching };

    TrayMenuModel(const AppState& state, TrayMenuActions& actions, const Clock& clock);

    QList<MenuEntry> entries() const;

    static Icon iconFor(const CaptureState& state);
    // The tray item's tooltip: the name and what it is doing now.
    QString toolTip() const;
    // "Today, 14:05 — Zoom (1h 2 min)"
    static QString meetingTitle(const MeetingRecord& record, const QDateTime& now);

private:
    QList<MenuEntry> statusEntries() const;
    MenuEntry meetingsMenu() const;
    QList<MenuEntry> meetingEntries(const MeetingRecord& record) const;

    const AppState& state_;
    TrayMenuActions& actions_;
    const Clock& clock_;
};

} // namespace velmora
