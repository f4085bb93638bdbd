#pragma once

#include "capture/CaptionReader.h"
#include "capture/ReplayClock.h"
#include "capture/SnapshotFile.h"

#include <optional>

namespace velmora {

// A caption reader whose polls are the lines of a recorded snapshot file. A snapshot is read
// only when the consumer asks for the next one, so the clock shows the time of the snapshot
// being processed and nothing past the end of the session is read. Lives in a shared_ptr.
class ReplayCaptionReader final : public CaptionReader,
                                  public std::enable_shared_from_this<ReplayCaptionReader> {
public:
    ReplayCaptionReader(const QString& path, ReplayClock& clock);

    std::shared_ptr<CaptionStream> captions() const override { return stream_; }
    // Throws FileError when the file cannot be opened.
    QCoro::Task<> startReading() override;
    void stopReading() override;

    qint64 snapshotsRead() const { return snapshotsRead_; }
    // A line that could not be read; it ended the stream.
    std::optional<QString> error() const { return error_; }

private:
    void readNext();

    SnapshotFile file_;
    ReplayClock& clock_;
    std::shared_ptr<CaptionStream> stream_;
    bool started_ = false;
    qint64 snapshotsRead_ = 0;
    std::optional<QString> error_;
};

} // namespace velmora
