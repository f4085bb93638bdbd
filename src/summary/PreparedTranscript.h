#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

// A transcript read and cleaned for summarising, by either engine.
struct PreparedTranscript {
    QString cleaned;
    QStringList attendees;

    // Reads the file as UTF-8 (FileError when it cannot) and logs what cleaning removed;
    // nullopt, logged, when the file is empty.
    static std::optional<PreparedTranscript> load(const QString& transcriptPath);
    static PreparedTranscript fromText(const QString& text);
};

} // namespace velmora
