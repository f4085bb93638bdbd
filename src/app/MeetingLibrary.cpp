#include "app/MeetingLibrary.h"

#include "app/Logging.h"
#include "app/OutputDirectoryProvider.h"
#include "library/MeetingHistoryManager.h"

#include <QPointer>

namespace velmora {

MeetingLibrary::HistoryFactory MeetingLibrary::fileHistories() {
    return [](const QString& folder) { return std::make_shared<MeetingHistoryManager>(folder); };
}

MeetingLibrary::MeetingLibrary(OutputDirectoryProvider& outputDirectory, HistoryFactory makeHistory,
                               QObject* parent)
    : QObject(parent), outputDirectory_(outputDirectory), makeHistory_(std::move(makeHistory)),
      folder_(outputDirectory_.outputDirectory()) {
    adopt(makeHistory_(folder_));
}

MeetingLibrary::~MeetingLibrary() {
    if (history_)
        history_->setOnRecordsChanged(nullptr);
}

void MeetingLibrary::adopt(std::shared_ptr<MeetingHistoryProvider> history) {
    if (history_) {
        history_->setOnRecordsChanged(nullptr);
        if (watching_)
            history_->stopWatching();
    }
    history_ = std::move(history);
    // Validation and deletions report from the main loop; a moved-away history stays silent.
    QPointer<MeetingLibrary> self = this;
    MeetingHistoryProvider* current = history_.get();
    history_->setOnRecordsChanged([self, current] {
        if (self && self->history_.get() == current)
            emit self->recordsChanged();
    });
    if (watching_)
        history_->startWatching();
}

QString MeetingLibrary::refreshFolder() {
    const QString folder = outputDirectory_.outputDirectory();
    if (folder == folder_)
        return folder_;
    qCInfo(lcApp, "Output folder changed from %s to %s, loading its meeting history",
           qUtf8Printable(folder_), qUtf8Printable(folder));
    folder_ = folder;
    adopt(makeHistory_(folder_));
    emit folderChanged(folder_);
    emit recordsChanged();
    return folder_;
}

std::shared_ptr<MeetingHistoryProvider> MeetingLibrary::addRecord(const MeetingRecord& record) {
    history_->addRecord(record);
    emit recordAdded(record);
    return history_;
}

void MeetingLibrary::finaliseRecord(MeetingHistoryProvider& home, const MeetingRecord& record) {
    home.updateRecord(record);
    emit recordFinalised(record);
}

void MeetingLibrary::deleteRecord(const MeetingRecord& record) {
    history_->deleteRecord(record);
    emit recordDeleted(record.id);
}

void MeetingLibrary::updateRecord(const MeetingRecord& record) {
    history_->updateRecord(record);
    emit recordsChanged();
}

void MeetingLibrary::startWatching() {
    watching_ = true;
    history_->startWatching();
}

void MeetingLibrary::stopWatching() {
    watching_ = false;
    history_->stopWatching();
}

} // namespace velmora
