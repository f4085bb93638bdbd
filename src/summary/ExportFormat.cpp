#include "summary/ExportFormat.h"

#include <QDir>
#include <QFileInfo>

namespace velmora::ExportFormats {

QString rawValue(ExportFormat format) {
    switch (format) {
    case ExportFormat::pdf: return QStringLiteral("pdf");
    case ExportFormat::docx: return QStringLiteral("docx");
    }
    Q_UNREACHABLE();
}

std::optional<ExportFormat> fromRawValue(const QString& raw) {
    for (ExportFormat format : {ExportFormat::pdf, ExportFormat::docx}) {
        if (rawValue(format) == raw)
            return format;
    }
    return std::nullopt;
}

QString defaultDestination(const QString& summaryPath, ExportFormat format) {
    const QFileInfo summary(summaryPath);
    QString name = summary.fileName();
    // Only the last extension goes; a leading dot starts a name, not an extension.
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0)
        name.truncate(dot);
    return QDir(summary.path()).filePath(name + u'.' + rawValue(format));
}

} // namespace velmora::ExportFormats
