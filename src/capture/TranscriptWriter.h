#pragma once

#include "capture/Clock.h"
#include "capture/FormatterFile.h"
#include "capture/SerialQueue.h"
#include "capture/TranscriptLock.h"
#include "capture/TranscriptWriting.h"

#include <QList>

namespace velmora {

// Owns the transcript file of one meeting: one file in the output directory, in the chosen
// format, created with its header, appended to through a handle kept open for the capture, and
// finalised with end time and duration. One file keeps a batch all-or-nothing: a batch that
// fails leaves the file as it was, so the retried batch is written exactly once. All file work runs on the writer's own queue; the
// clock is read on the caller's thread. A resumed capture hands the same writer to its next
// coordinator, so the meeting stays one file with one start time. A file removed during the
// capture is put back, with what it held, as soon as its folder takes files again.
class TranscriptWriter final : public TranscriptWriting {
public:
    TranscriptWriter(QString outputDirectory, const Clock& clock,
                     std::optional<QString> meetingTitle,
                     std::shared_ptr<const TranscriptFormatter> formatter);
    ~TranscriptWriter() override;

    QCoro::Task<> setStartTimeIfNeeded(QDateTime date) override;
    QCoro::Task<> createMissingFiles() override;
    QCoro::Task<> append(QList<CaptionEntry> entries) override;
    QCoro::Task<> finalize() override;
    QCoro::Task<std::optional<QString>> expectedFilename() override;
    QCoro::Task<std::optional<QString>> transcriptPath() override;
    QCoro::Task<std::optional<QString>> salvage(QList<CaptionEntry> unsaved,
                                                QStringList directories) override;

    // Letters and numbers of any script are kept; every run of other characters becomes one
    // "-"; one trailing "-" is dropped.
    static QString sanitizeTitle(const QString& title);
    // "yyyy-MM-dd_HH-mm-ss" in local time, then "_" + the sanitized title, or "_transcript".
    static QString fileName(const QDateTime& start, const std::optional<QString>& meetingTitle,
                            const QString& extension);

private:
    // Queue-confined.
    void createFile(const QDateTime& now);
    void appendOnQueue(const QList<CaptionEntry>& entries, const QDateTime& now);
    // Puts the file back at its path when it was removed meanwhile; throws when it cannot.
    void restoreIfRemoved();
    void writeBatch(const QByteArray& bytes);
    std::optional<QString> salvageOnQueue(const QList<CaptionEntry>& unsaved,
                                          const QStringList& directories, const QDateTime& now);
    void finalizeOnQueue(const QDateTime& now);

    const QString outputDirectory_;
    const Clock& clock_;
    const std::optional<QString> meetingTitle_;
    FormatterFile file_;
    std::optional<QDateTime> startTime_;
    // Held from the file's creation until it is finalised: the file belongs to a live capture.
    std::optional<TranscriptLock> lock_;
    // Last member: destroyed first, so jobs still queued run while the rest is alive.
    SerialQueue queue_;
};

} // namespace velmora
