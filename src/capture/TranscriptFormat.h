#pragma once

#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace velmora {

class TranscriptFormatter;

// The transcript file format a user chooses; stored by its raw string.
enum class TranscriptFormat { markdown, plainText };

namespace TranscriptFormats {

QList<TranscriptFormat> all(); // in settings order
QString rawValue(TranscriptFormat format);
std::optional<TranscriptFormat> fromRawValue(const QString& raw);
// Shown in the settings.
QString label(TranscriptFormat format);
// Without the dot.
QString fileExtension(TranscriptFormat format);
std::shared_ptr<const TranscriptFormatter> formatter(TranscriptFormat format);

} // namespace TranscriptFormats

} // namespace velmora
