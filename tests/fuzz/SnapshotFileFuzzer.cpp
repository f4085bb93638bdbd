// The recorded-snapshot reader on arbitrary files: every line either parses into a snapshot
// whose lines carry its time or is refused with a FileError naming that line.
#include "FuzzSupport.h"

#include "capture/FileError.h"
#include "capture/SnapshotFile.h"

#include <QFile>
#include <QTemporaryDir>

using namespace velmora;
using velmora::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir directory;
    static const QString path = directory.filePath(QStringLiteral("snapshots.jsonl"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            fuzz::violated("cannot write the input file");
        file.write(fuzz::bytes(data, size));
    }
    SnapshotFile snapshots(path);
    snapshots.open();
    const qint64 lineCount = fuzz::bytes(data, size).count('\n') + 1;
    try {
        while (const std::optional<RecordedSnapshot> snapshot = snapshots.next()) {
            require(snapshot->time.isValid(), "a snapshot without a valid time");
            for (const CaptionEntry& entry : snapshot->entries)
                require(entry.timestamp == snapshot->time, "a line stamped apart from its poll");
            require(snapshots.lineNumber() <= lineCount, "more lines read than the file has");
        }
    } catch (const FileError& error) {
        require(error.message().contains(QStringLiteral("line %1").arg(snapshots.lineNumber())),
                "an error that does not name its line", error.message());
    }
    return 0;
}
