#pragma once

#include "library/DisplayEntry.h"

#include <QList>
#include <QObject>

namespace velmora {

// The transcript a view shows. Every change is announced by exactly one signal that says what
// changed, so a list can insert or repaint rows instead of rebuilding. Main thread.
class TranscriptStore final : public QObject {
    Q_OBJECT
public:
    explicit TranscriptStore(QObject* parent = nullptr) : QObject(parent) {}

    const QList<DisplayEntry>& entries() const { return entries_; }
    qsizetype count() const { return entries_.size(); }
    // Silent when the list is the same as before.
    void setEntries(const QList<DisplayEntry>& entries);
    // Announced also for an empty list.
    void append(const QList<DisplayEntry>& entries);
    // Outside 0..count-1 nothing changes and nobody is told.
    void patch(qsizetype index, const DisplayEntry& entry);

signals:
    void entriesReset();
    void entriesAppended(qsizetype first, qsizetype count);
    void entryPatched(qsizetype index);

private:
    QList<DisplayEntry> entries_;
};

} // namespace velmora
