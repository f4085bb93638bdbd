#pragma once

#include "capture/TranscriptFormatter.h"

#include <QFile>
#include <QString>

#include <memory>
#include <optional>

namespace velmora {

// The output file of a transcript writer and what the writer knows about it.
struct FormatterFile {
    std::shared_ptr<const TranscriptFormatter> formatter;
    std::optional<QString> filePath;      // set once the file exists
    std::optional<QString> lastSpeaker;   // speaker of the last entry written to the file
    std::unique_ptr<QFile> fileHandle;    // open for appending from the first batch on
};

} // namespace velmora
