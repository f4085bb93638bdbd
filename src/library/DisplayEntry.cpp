#include "library/DisplayEntry.h"

#include <QRegularExpression>

#include <algorithm>

namespace velmora {

namespace {

// The speaker is the shortest name followed by the closing marker, so "**[t] Dr: Who:**"
// names "Dr: Who" and the plain "[t] Dr: Who: hi" names "Dr".
const QRegularExpression& boldHeader() {
    static const QRegularExpression pattern(
        QStringLiteral(R"(\*\*\[(\d{2}:\d{2}:\d{2})\]\s+(.+?):\*\*)"));
    return pattern;
}

const QRegularExpression& plainHeader() {
    static const QRegularExpression pattern(QStringLiteral(R"(\[(\d{2}:\d{2}:\d{2})\]\s+(.+?):)"));
    return pattern;
}

// Lines of the file header (Markdown title, rule, date lines) that may follow a heading in a
// file edited by hand.
bool isFileHeaderLine(QStringView line) {
    static const QString prefixes[] = {QStringLiteral("#"),       QStringLiteral("---"),
                                       QStringLiteral("**Date:"), QStringLiteral("**Start:"),
                                       QStringLiteral("**End:"),  QStringLiteral("**Duration:")};
    for (const QString& prefix : prefixes)
        if (line.startsWith(prefix))
            return true;
    return false;
}

class Builder {
  public:
    void header(const DisplayEntry::Header& parsed) {
        emitPending();
        speaker_ = parsed.speaker;
        timestamp_ = parsed.timestamp;
        inParagraph_ = false;
    }
    bool hasSpeaker() const { return !speaker_.isEmpty(); }
    void addLine(QStringView line) {
        if (!inParagraph_) {
            if (pending_.isEmpty())
                firstUtterance_ = utterances_;
            ++utterances_;
            inParagraph_ = true;
        }
        pending_.append(line.toString());
    }
    void endParagraph() { inParagraph_ = false; }
    QList<DisplayEntry> finish() {
        emitPending();
        return std::move(result_);
    }

  private:
    void emitPending() {
        if (pending_.isEmpty())
            return;
        QString text = pending_.join(QLatin1Char(' '));
        pending_.clear();
        result_.append({nextId_++, speaker_, timestamp_, text.trimmed(), firstUtterance_});
    }

    QList<DisplayEntry> result_;
    qint64 nextId_ = 0;
    QString speaker_;
    QString timestamp_;
    QStringList pending_;
    int utterances_ = 0;
    int firstUtterance_ = 0;
    bool inParagraph_ = false;
};

} // namespace

std::optional<DisplayEntry::Header> DisplayEntry::parseHeader(QStringView line) {
    // Most lines are plain text: skip the expressions for them.
    if (!line.contains(QLatin1Char('[')))
        return std::nullopt;
    for (const QRegularExpression* pattern : {&boldHeader(), &plainHeader()}) {
        const QRegularExpressionMatch match = pattern->match(line);
        if (match.hasMatch())
            return Header{match.captured(2), match.captured(1),
                          line.sliced(match.capturedEnd(0)).toString()};
    }
    return std::nullopt;
}

QList<DisplayEntry> DisplayEntry::fromMarkdown(QStringView text) {
    Builder builder;
    for (const QStringView line : text.tokenize(QLatin1Char('\n'))) {
        if (const auto parsed = parseHeader(line)) {
            builder.header(*parsed);
            // A plain-text line carries its entry's text after the header; a Markdown heading
            // ends with its own marker and leaves nothing.
            const QString rest = parsed->rest.trimmed();
            if (!rest.isEmpty())
                builder.addLine(rest);
            continue;
        }
        if (!builder.hasSpeaker())
            continue; // the file header
        // White space of every kind, as the search index counts utterances (a CR of Windows line
        // endings too).
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty()) {
            builder.endParagraph();
            continue;
        }
        if (isFileHeaderLine(trimmed))
            continue;
        builder.addLine(trimmed);
    }
    return builder.finish();
}

DisplayEntry DisplayEntry::fromLive(const CaptionEntry& entry, qint64 id) {
    return {id, entry.speaker, entry.timestamp.toLocalTime().toString(QStringLiteral("HH:mm:ss")),
            entry.text, int(id)};
}

qsizetype DisplayEntry::blockOfUtterance(const QList<DisplayEntry>& blocks, int utterance) {
    const auto after = std::upper_bound(
        blocks.cbegin(), blocks.cend(), utterance,
        [](int wanted, const DisplayEntry& block) { return wanted < block.firstUtterance; });
    if (blocks.isEmpty())
        return -1;
    return after == blocks.cbegin() ? 0 : (after - blocks.cbegin()) - 1;
}

QList<DisplayEntry> DisplayEntry::fromLive(const QList<CaptionEntry>& entries) {
    QList<DisplayEntry> result;
    result.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        result.append(fromLive(entries[i], i));
    return result;
}

} // namespace velmora
