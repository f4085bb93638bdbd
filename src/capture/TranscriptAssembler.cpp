#include "capture/TranscriptAssembler.h"

#include "capture/AccumulatedText.h"
#include "capture/Graphemes.h"

namespace velmora::TranscriptAssembler {

QString normalizeForComparison(const QString& text) {
    const std::vector<qint32> starts = Graphemes::segment(text);
    QString normalized;
    normalized.reserve(text.size());
    for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
        const QStringView character = QStringView(text).mid(starts[i], starts[i + 1] - starts[i]);
        if (Graphemes::isWordCharacter(character))
            Graphemes::appendKey(character, normalized);
    }
    return normalized;
}

std::optional<QString> mergeOverlapping(const QString& accumulated, const QString& newText) {
    AccumulatedText text(accumulated);
    if (!text.merge(newText))
        return std::nullopt;
    return text.text();
}

} // namespace velmora::TranscriptAssembler
