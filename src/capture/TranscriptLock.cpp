#include "capture/TranscriptLock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

std::optional<TranscriptLock> TranscriptLock::tryLock(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int descriptor = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;
    int result;
    do {
        result = ::flock(descriptor, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(descriptor);
        return std::nullopt;
    }
    return TranscriptLock(descriptor);
}

TranscriptLock::TranscriptLock(TranscriptLock&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)) {}

TranscriptLock& TranscriptLock::operator=(TranscriptLock&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0)
            ::close(descriptor_);
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

TranscriptLock::~TranscriptLock() {
    if (descriptor_ >= 0)
        ::close(descriptor_); // releases the lock
}

bool TranscriptLock::isFileAt(const QString& path) const {
    struct stat locked {};
    struct stat named {};
    if (::fstat(descriptor_, &locked) != 0 || ::stat(QFile::encodeName(path).constData(), &named) != 0)
        return false;
    return locked.st_dev == named.st_dev && locked.st_ino == named.st_ino;
}

std::optional<QByteArray> TranscriptLock::readAll() const {
    QByteArray content;
    char buffer[65536];
    off_t offset = 0;
    while (true) {
        const ssize_t count = ::pread(descriptor_, buffer, sizeof buffer, offset);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return std::nullopt;
        if (count == 0)
            return content;
        content.append(buffer, count);
        offset += count;
    }
}

} // namespace velmora
