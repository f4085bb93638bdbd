#include "summary/TranscriptPreparation.h"

#include "capture/Graphemes.h"
#include "summary/TranscriptBlock.h"

#include <QRegularExpression>
#include <QSet>

#include <optional>
#include <vector>

namespace velmora::TranscriptPreparation {

namespace {

const QString unknownSpeaker = QStringLiteral("Unknown user");
// Blocks whose comparison form is shorter than this are never dropped as repeats ("Yes.").
constexpr qsizetype repeatFloor = 21;
constexpr qsizetype repeatKeyLength = 50;

const QRegularExpression& headerLine() {
    static const QRegularExpression pattern(
        QStringLiteral("^\\*\\*\\[[0-9]{2}:[0-9]{2}:[0-9]{2}\\] (.+?):\\*\\*$"));
    return pattern;
}

QString firstGraphemes(const QString& text, qsizetype count) {
    const std::vector<qint32> starts = Graphemes::segment(text);
    if (qsizetype(starts.size()) - 1 <= count)
        return text;
    return text.left(starts[size_t(count)]);
}

struct Parsed {
    QStringList preamble;
    std::vector<TranscriptBlock> blocks;
};

Parsed parseBlocks(const QString& text) {
    Parsed parsed;
    const QStringList lines = text.split(u'\n');
    for (const QString& line : lines) {
        const QRegularExpressionMatch header = headerLine().match(line);
        if (header.hasMatch()) {
            parsed.blocks.push_back({line, header.captured(1), {}});
        } else if (parsed.blocks.empty()) {
            parsed.preamble.append(line);
        } else {
            parsed.blocks.back().textLines.append(line);
        }
    }
    return parsed;
}

// A turn that repeats or completes the same speaker's previous turn keeps only the longer.
std::vector<TranscriptBlock> mergeAdjacent(std::vector<TranscriptBlock> blocks) {
    std::vector<TranscriptBlock> kept;
    std::optional<QString> lastNormalized;
    for (TranscriptBlock& block : blocks) {
        if (kept.empty() || kept.back().speaker != block.speaker) {
            lastNormalized = block.normalized();
            kept.push_back(std::move(block));
            continue;
        }
        const QString old = *lastNormalized;
        const QString fresh = block.normalized();
        if (old.isEmpty()) {
            kept.back() = std::move(block);
            lastNormalized = fresh;
        } else if (fresh.isEmpty()) {
            continue;
        } else if (!old.startsWith(fresh) && !fresh.startsWith(old)) {
            kept.push_back(std::move(block));
            lastNormalized = fresh;
        } else if (graphemeCount(kept.back().trimmedText()) < graphemeCount(block.trimmedText())) {
            kept.back() = std::move(block);
            lastNormalized = fresh;
        }
    }
    return kept;
}

// Removes a long opening the same speaker already said earlier in the meeting.
std::vector<TranscriptBlock> dropRepeats(std::vector<TranscriptBlock> blocks) {
    std::vector<TranscriptBlock> kept;
    QSet<QString> seen;
    for (TranscriptBlock& block : blocks) {
        const QString normalized = block.normalized();
        if (graphemeCount(normalized) >= repeatFloor) {
            const QString key = block.speaker + QStringLiteral("||") +
                                firstGraphemes(normalized, repeatKeyLength);
            if (seen.contains(key))
                continue;
            seen.insert(key);
        }
        kept.push_back(std::move(block));
    }
    return kept;
}

} // namespace

qsizetype graphemeCount(QStringView text) {
    return qsizetype(Graphemes::segment(text).size()) - 1;
}

QString deduplicateTranscript(const QString& text) {
    Parsed parsed = parseBlocks(text);
    if (parsed.blocks.empty())
        return text;
    const std::vector<TranscriptBlock> blocks =
        dropRepeats(mergeAdjacent(std::move(parsed.blocks)));
    QString output = parsed.preamble.join(u'\n');
    for (const TranscriptBlock& block : blocks) {
        output += u'\n';
        output += block.heading;
        output += u'\n';
        output += block.textLines.join(u'\n');
    }
    return output;
}

QStringList extractSpeakers(const QString& text) {
    static const QRegularExpression header(
        QStringLiteral("\\*\\*\\[[0-9]{2}:[0-9]{2}:[0-9]{2}\\] (.+?):\\*\\*"));
    QStringList speakers;
    QSet<QString> seen;
    for (const QRegularExpressionMatch& match : header.globalMatch(text)) {
        const QString name = match.captured(1);
        if (name == unknownSpeaker || seen.contains(name))
            continue;
        seen.insert(name);
        speakers.append(name);
    }
    return speakers;
}

QStringList splitIntoChunks(const QString& text, qsizetype maxChars) {
    QStringList chunks;
    QString current;
    qsizetype currentLength = 0;
    for (const QString& line : text.split(u'\n')) {
        const qsizetype lineLength = graphemeCount(line);
        if (!current.isEmpty() && currentLength + lineLength + 1 > maxChars) {
            chunks.append(current);
            current.clear();
            currentLength = 0;
        }
        if (current.isEmpty()) {
            current = line;
            currentLength = lineLength;
        } else {
            current += u'\n';
            current += line;
            currentLength += lineLength + 1;
        }
    }
    if (!current.isEmpty())
        chunks.append(current);
    return chunks;
}

QStringList bisect(const QString& text) {
    const std::vector<qint32> starts = Graphemes::segment(text);
    const qsizetype characters = qsizetype(starts.size()) - 1;
    if (characters < 2)
        return {text};
    const qint32 middle = starts[size_t(characters / 2)];
    // A separator is acceptable when neither piece gets more than three quarters of the text.
    const qsizetype lowest = starts[size_t(characters / 4)];
    const qsizetype highest = starts[size_t(characters - characters / 4)];
    for (const QChar separator : {QChar(u'\n'), QChar(u' ')}) {
        const qsizetype before = text.lastIndexOf(separator, middle);
        const qsizetype after = text.indexOf(separator, middle);
        qsizetype best = -1;
        for (qsizetype candidate : {before, after}) {
            if (candidate < lowest || candidate > highest)
                continue;
            if (best < 0 || qAbs(candidate - middle) < qAbs(best - middle))
                best = candidate;
        }
        if (best >= 0)
            return {text.left(best), text.mid(best + 1)};
    }
    return {text.left(middle), text.mid(middle)};
}

} // namespace velmora::TranscriptPreparation
