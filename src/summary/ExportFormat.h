#pragma once

#include <QString>

#include <optional>

namespace velmora {

// The document formats a summary is exported to; the raw value is also the file extension.
enum class ExportFormat { pdf, docx };

namespace ExportFormats {

QString rawValue(ExportFormat format);
std::optional<ExportFormat> fromRawValue(const QString& raw);
// Where an export goes by default: beside the summary, its extension replaced by the format's.
QString defaultDestination(const QString& summaryPath, ExportFormat format);

} // namespace ExportFormats

} // namespace velmora
