#include "capture/ReplayCaptionReader.h"

#include "capture/FileError.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace velmora {

ReplayCaptionReader::ReplayCaptionReader(const QString& path, ReplayClock& clock)
    : file_(path), clock_(clock), stream_(std::make_shared<CaptionStream>()) {}

QCoro::Task<> ReplayCaptionReader::startReading() {
    if (started_ || stream_->isFinished())
        co_return;
    file_.open();
    started_ = true;
    std::weak_ptr<ReplayCaptionReader> weakSelf = weak_from_this();
    stream_->setOnDemand([weakSelf] {
        // Through the event loop: the consumer is still suspending when it asks.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [weakSelf] {
                if (auto self = weakSelf.lock())
                    self->readNext();
            },
            Qt::QueuedConnection);
    });
}

void ReplayCaptionReader::stopReading() { stream_->finish(); }

void ReplayCaptionReader::readNext() {
    if (stream_->isFinished())
        return;
    try {
        std::optional<RecordedSnapshot> snapshot = file_.next();
        if (!snapshot) {
            stream_->finish();
            return;
        }
        clock_.set(snapshot->time);
        ++snapshotsRead_;
        stream_->send(std::move(snapshot->entries));
    } catch (const FileError& error) {
        error_ = error.message();
        stream_->finish();
    }
}

} // namespace velmora
