#include "app/AppControllerServices.h"

#include "capture/TranscriptWriter.h"

#include <QDir>
#include <QStandardPaths>

namespace velmora {

AppControllerServices::WriterFactory AppControllerServices::defaultWriterFactory() {
    return [](const QString& outputDirectory, const Clock& clock, const QString& meetingTitle,
              const std::shared_ptr<const TranscriptFormatter>& formatter) {
        return std::make_shared<TranscriptWriter>(outputDirectory, clock, meetingTitle, formatter);
    };
}

QString AppControllerServices::defaultRecoveryDirectory() {
    // ~/.local/share/velmora/recovered
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(QStringLiteral("recovered"));
}

} // namespace velmora
