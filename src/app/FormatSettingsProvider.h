#pragma once

#include "capture/TranscriptFormat.h"

#include <memory>

namespace velmora {

class TranscriptFormatter;

// The transcript format the user chose.
class FormatSettingsProvider {
public:
    virtual ~FormatSettingsProvider() = default;

    // The formatter of the chosen format; read afresh by each new capture.
    virtual std::shared_ptr<const TranscriptFormatter> formatter() const = 0;
    virtual TranscriptFormat transcriptFormat() const = 0;
    virtual void setTranscriptFormat(TranscriptFormat format) = 0;
};

} // namespace velmora
