#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace velmora {

// An exclusive advisory lock (flock) on a transcript file, held by the process writing it.
// The kernel drops it when the process ends in any way, kill -9 and power loss included, so a
// transcript whose lock is free and whose header is unfinished belongs to no running capture.
// The lock follows the file, not its name: it survives a rename and is taken on the hidden
// temporary file before that file appears under its real name. Move-only.
class TranscriptLock {
public:
    // Locks the file at `path` without waiting; none when it is missing or locked elsewhere
    // (also by another lock of this process).
    static std::optional<TranscriptLock> tryLock(const QString& path);

    TranscriptLock(TranscriptLock&& other) noexcept;
    TranscriptLock& operator=(TranscriptLock&& other) noexcept;
    TranscriptLock(const TranscriptLock&) = delete;
    TranscriptLock& operator=(const TranscriptLock&) = delete;
    ~TranscriptLock();

    // True while `path` still names the locked file (not removed, not replaced).
    bool isFileAt(const QString& path) const;
    // The locked file's whole content, read through the lock's descriptor: it is still there
    // when the name was removed. None on a read error.
    std::optional<QByteArray> readAll() const;

private:
    explicit TranscriptLock(int descriptor) : descriptor_(descriptor) {}
    int descriptor_ = -1;
};

} // namespace velmora
