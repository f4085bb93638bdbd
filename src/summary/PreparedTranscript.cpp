#include "summary/PreparedTranscript.h"

#include "capture/FileError.h"
#include "summary/Logging.h"
#include "summary/TranscriptPreparation.h"

#include <QDir>
#include <QFile>

namespace velmora {

std::optional<PreparedTranscript> PreparedTranscript::load(const QString& transcriptPath) {
    QFile file(transcriptPath);
    if (!file.open(QIODevice::ReadOnly)) {
        throw FileError(QStringLiteral("Cannot read %1: %2")
                            .arg(QDir::toNativeSeparators(transcriptPath), file.errorString()));
    }
    const QString text = QString::fromUtf8(file.readAll());
    if (file.error() != QFileDevice::NoError) {
        throw FileError(QStringLiteral("Cannot read %1: %2")
                            .arg(QDir::toNativeSeparators(transcriptPath), file.errorString()));
    }
    if (text.isEmpty()) {
        qCInfo(lcSummary, "Empty transcript, skipping summary generation");
        return std::nullopt;
    }
    return fromText(text);
}

PreparedTranscript PreparedTranscript::fromText(const QString& text) {
    PreparedTranscript prepared;
    prepared.attendees = TranscriptPreparation::extractSpeakers(text);
    prepared.cleaned = TranscriptPreparation::deduplicateTranscript(text);
    const qsizetype before = TranscriptPreparation::graphemeCount(text);
    const qsizetype after = TranscriptPreparation::graphemeCount(prepared.cleaned);
    qCInfo(lcSummary, "Transcript cleaned: %ld -> %ld chars (%ld removed)", long(before),
           long(after), long(before - after));
    return prepared;
}

} // namespace velmora
