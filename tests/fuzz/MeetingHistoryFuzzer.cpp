// The history file's decoder on arbitrary bytes: it refuses with a reason or gives records
// that stay the same through encode and decode, and that name no file outside the folder.
#include "FuzzSupport.h"

#include "library/MeetingHistoryManager.h"

#include <QFileInfo>

using namespace velmora;
using velmora::fuzz::require;

namespace {

const QString directory = QStringLiteral("/meetings");

void requireInside(const std::optional<QString>& path) {
    if (path)
        require(QFileInfo(*path).absolutePath() == directory, "a path outside the folder", *path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QString error;
    const auto records = MeetingHistoryManager::decode(fuzz::bytes(data, size), directory, error);
    if (!records) {
        require(!error.isEmpty(), "refused without a reason");
        return 0;
    }
    for (const MeetingRecord& record : *records) {
        requireInside(record.transcriptPath);
        requireInside(record.summaryPath);
        requireInside(record.notesPath);
    }
    bool encoded = false;
    const QByteArray json = MeetingHistoryManager::encode(*records, &encoded);
    require(encoded, "a decoded history that cannot be encoded");
    QString again;
    const auto reread = MeetingHistoryManager::decode(json, directory, again);
    require(reread.has_value(), "its own encoding refused", again);
    require(*reread == *records, "records changed by encode and decode", QString::fromUtf8(json));
    return 0;
}
