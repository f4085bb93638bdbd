#pragma once

#include "capture/CaptionSource.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace velmora {

// Finishes the transcripts that a capture left unfinished when its process ended without
// finalising them (a crash, a power cut, kill -9). Such a file still has the end-time and
// duration placeholders in its header, and nobody holds its lock: a live capture, of this or
// another process, keeps its transcript locked until it is finalised.
class TranscriptRecovery {
public:
    struct Recovered {
        QString path;
        QDateTime start;
        QDateTime end;
        double duration = 0; // seconds
        // From the file name's title; none when the title names no known source.
        std::optional<CaptionSource> source;
    };

    // What an unfinished transcript's content tells: its start and the time of its last
    // utterance. None when `content` is not an unfinished transcript of that format ("md" or
    // "txt") or its header cannot be read.
    struct Header {
        QDateTime start;
        std::optional<QDateTime> lastUtterance;
    };
    static bool isUnfinished(const QString& content, const QString& extension);
    static std::optional<Header> readHeader(const QString& content, const QString& extension);
    // The source whose title the file name carries ("…_Google-Meet.md").
    static std::optional<CaptionSource> sourceFromFileName(const QString& fileName);

    // Finalises every unfinished, unlocked transcript directly in `folder`: End is the last
    // utterance's time (else the file's modification time), Duration runs from Start to End;
    // the file is replaced atomically and its utterances are left as they are. Files that
    // cannot be read or written are logged and left alone.
    static QList<Recovered> recoverFolder(const QString& folder);

private:
    static std::optional<Recovered> recoverFile(const QString& path);
};

} // namespace velmora
