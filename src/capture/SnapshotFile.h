#pragma once

#include "capture/RecordedSnapshot.h"

#include <QFile>
#include <QString>

#include <optional>

namespace velmora {

// Recorded caption snapshots as JSON Lines, one poll per line:
//   {"time": "2026-03-14T09:30:05.000+00:00", "lines": [{"speaker": "Alice", "text": "Hello"}]}
// Read one line at a time, so a long meeting is never held in memory. Problems throw FileError
// with the line number.
class SnapshotFile {
public:
    explicit SnapshotFile(QString path);

    void open();
    // The next snapshot, or none at the end of the file.
    std::optional<RecordedSnapshot> next();
    // Number of the line read last (1-based).
    qint64 lineNumber() const { return lineNumber_; }

    static RecordedSnapshot parseLine(const QByteArray& line, qint64 lineNumber);

private:
    QFile file_;
    qint64 lineNumber_ = 0;
};

} // namespace velmora
