#include "app/FormatSettingsManager.h"

#include "capture/TranscriptFormatter.h"

namespace velmora {

TranscriptFormat FormatSettingsManager::transcriptFormat() const {
    const QString stored = defaults_.value(QLatin1String(userDefaultsKey)).toString();
    return TranscriptFormats::fromRawValue(stored).value_or(TranscriptFormat::markdown);
}

std::shared_ptr<const TranscriptFormatter> FormatSettingsManager::formatter() const {
    return TranscriptFormats::formatter(transcriptFormat());
}

void FormatSettingsManager::setTranscriptFormat(TranscriptFormat format) {
    defaults_.setValue(QLatin1String(userDefaultsKey), TranscriptFormats::rawValue(format));
}

} // namespace velmora
