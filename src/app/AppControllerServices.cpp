#include "app/AppControllerServices.h"

#include "capture/TranscriptWriter.h"

namespace velmora {

AppControllerServices::WriterFactory AppControllerServices::defaultWriterFactory() {
    return [](const QString& outputDirectory, const Clock& clock, const QString& meetingTitle,
              const QList<std::shared_ptr<const TranscriptFormatter>>& formatters) {
        return std::make_shared<TranscriptWriter>(outputDirectory, clock, meetingTitle, formatters);
    };
}

} // namespace velmora
