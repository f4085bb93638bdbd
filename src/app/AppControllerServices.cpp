#include "app/AppControllerServices.h"

#include "capture/TranscriptWriter.h"

namespace velmora {

AppControllerServices::WriterFactory AppControllerServices::defaultWriterFactory() {
    return [](const QString& outputDirectory, const Clock& clock, const QString& meetingTitle,
              const std::shared_ptr<const TranscriptFormatter>& formatter) {
        return std::make_shared<TranscriptWriter>(outputDirectory, clock, meetingTitle, formatter);
    };
}

} // namespace velmora
