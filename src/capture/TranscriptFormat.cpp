#include "capture/TranscriptFormat.h"

#include "capture/MarkdownFormatter.h"
#include "capture/PlainTextFormatter.h"

namespace velmora::TranscriptFormats {

QList<TranscriptFormat> all() { return {TranscriptFormat::markdown, TranscriptFormat::plainText}; }

QString rawValue(TranscriptFormat format) {
    switch (format) {
    case TranscriptFormat::markdown: return QStringLiteral("markdown");
    case TranscriptFormat::plainText: return QStringLiteral("plainText");
    }
    Q_UNREACHABLE();
}

std::optional<TranscriptFormat> fromRawValue(const QString& raw) {
    for (TranscriptFormat format : all()) {
        if (rawValue(format) == raw)
            return format;
    }
    return std::nullopt;
}

QString label(TranscriptFormat format) {
    switch (format) {
    case TranscriptFormat::markdown: return QStringLiteral("Markdown (.md)");
    case TranscriptFormat::plainText: return QStringLiteral("Plain Text (.txt)");
    }
    Q_UNREACHABLE();
}

QString fileExtension(TranscriptFormat format) { return formatter(format)->fileExtension(); }

std::shared_ptr<const TranscriptFormatter> formatter(TranscriptFormat format) {
    switch (format) {
    case TranscriptFormat::markdown: return std::make_shared<MarkdownFormatter>();
    case TranscriptFormat::plainText: return std::make_shared<PlainTextFormatter>();
    }
    Q_UNREACHABLE();
}

} // namespace velmora::TranscriptFormats
