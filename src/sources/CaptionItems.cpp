#include "sources/CaptionItems.h"

#include <QRegularExpression>

namespace velmora::CaptionItems {

namespace {

// Deep enough for six wrappers around the list, six around each line and six around each of
// its parts, with the list, the line and its parts.
constexpr int maxLevels = 24;

// One thing a line shows: a non-blank text, or an image with its (possibly empty) name.
struct Piece {
    bool image = false;
    QString value;
    int part = 0; // which child of the node being read holds it
    bool beginsPart = false;
};
using Pieces = QList<Piece>;

// Chromium names an image that has no description with a sentence of its own ("To get missing
// image descriptions, open the context menu."): that is no one's name.
bool isSentence(const QString& name) {
    static const QRegularExpression sentenceEnd(QStringLiteral("[.!?\u3002]$"));
    return sentenceEnd.match(name).hasMatch() &&
           (name.split(QLatin1Char(' '), Qt::SkipEmptyParts).size() >= 4 || name.size() > 20);
}

void collectPieces(const AXSubtree& node, int part, Pieces& out) {
    if (node.isStaticText() || node.isImage()) {
        QString value = node.text.trimmed();
        if (node.isImage() && isSentence(value))
            value.clear();
        if (node.isImage() || !value.isEmpty()) {
            const bool first = out.isEmpty() || out.back().part != part;
            out.append({node.isImage(), value, part, first});
        }
        return;
    }
    if (node.isButton())
        return;
    for (const AXSubtree& child : node.children)
        collectPieces(child, part, out);
}

Pieces piecesOf(const QList<const AXSubtree*>& parts) {
    Pieces pieces;
    for (int i = 0; i < parts.size(); ++i)
        collectPieces(*parts[i], i, pieces);
    return pieces;
}

QList<const AXSubtree*> childrenOf(const AXSubtree& node) {
    QList<const AXSubtree*> parts;
    if (node.isStaticText() || node.isImage()) {
        parts.append(&node);
        return parts;
    }
    for (const AXSubtree& child : node.children)
        parts.append(&child);
    return parts;
}

// The same person: equal, or one is the other with a note in brackets ("Dana Ruiz (Guest)").
bool sameName(const QString& a, const QString& b) {
    const QString& shorter = a.size() <= b.size() ? a : b;
    const QString& longer = a.size() <= b.size() ? b : a;
    if (shorter.isEmpty() || !longer.startsWith(shorter))
        return false;
    return longer.size() == shorter.size() ||
           (longer.mid(shorter.size()).startsWith(QLatin1String(" (")) && longer.endsWith(QLatin1Char(')')));
}

// Speaker and text of one line's pieces. The speaker is the first text; a named avatar stands
// in for it only when the line shows a single text that is not its name (the name is missing).
RawBrowserMeetEntry lineOf(const Pieces& pieces) {
    QString avatar;
    QStringList texts;
    for (const Piece& piece : pieces) {
        if (!piece.image)
            texts.append(piece.value);
        else if (texts.isEmpty() && avatar.isEmpty())
            avatar = piece.value;
    }
    if (texts.isEmpty())
        return {avatar, QString()};
    const bool nameShown = avatar.isEmpty() || texts.size() > 1 || sameName(avatar, texts[0]);
    if (!nameShown)
        return {avatar, texts[0]};
    return {texts[0], texts.mid(1).join(QLatin1Char(' '))};
}

bool holdsPieces(const AXSubtree& node) {
    Pieces pieces;
    collectPieces(node, 0, pieces);
    return !pieces.isEmpty();
}

bool holdsWholeLine(const AXSubtree& node) {
    return !lineOf(piecesOf(childrenOf(node))).text.isEmpty();
}

// Lines in reading order; an image that begins a part after some text begins the next. With
// no image at all, `loose` says whether the parts are one line or name and text in turn.
void readInOrder(const QList<const AXSubtree*>& parts, LooseParts loose, QList<RawBrowserMeetEntry>& out) {
    const Pieces pieces = piecesOf(parts);
    const bool noImages = std::none_of(pieces.cbegin(), pieces.cend(), [](const Piece& p) { return p.image; });
    const bool allGroups = std::all_of(parts.cbegin(), parts.cend(), [](const AXSubtree* p) { return p->isGroup(); });
    if (noImages && allGroups && loose == LooseParts::nameThenText) {
        for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
            RawBrowserMeetEntry line = lineOf(piecesOf({parts[i], parts[i + 1]}));
            if (!line.text.isEmpty())
                out.append(std::move(line));
        }
        return;
    }
    QList<Pieces> lines(1);
    for (const Piece& piece : pieces) {
        const bool lineHasText = std::any_of(lines.back().cbegin(), lines.back().cend(),
                                             [](const Piece& p) { return !p.image; });
        if (piece.image && piece.beginsPart && lineHasText)
            lines.append(Pieces());
        lines.back().append(piece);
    }
    for (const Pieces& linePieces : lines) {
        RawBrowserMeetEntry line = lineOf(linePieces);
        if (!line.text.isEmpty())
            out.append(std::move(line));
    }
}

// `lineLevel`: `node` is the area or a wrapper around all of its lines (not inside one line).
void collectLines(const AXSubtree& node, bool isArea, bool lineLevel, int level, LooseParts loose,
                  QList<RawBrowserMeetEntry>& out) {
    if (level > maxLevels)
        return;
    QList<const AXSubtree*> parts;
    for (const AXSubtree& child : node.children) {
        if (isArea && !child.isGroup() && !child.isImage())
            continue;
        if (holdsPieces(child))
            parts.append(&child);
    }
    if (parts.isEmpty())
        return;
    if (parts.size() == 1 && parts[0]->isGroup()) {
        collectLines(*parts[0], false, lineLevel, level + 1, loose, out);
        return;
    }
    const bool imagesBetween = std::any_of(parts.cbegin(), parts.cend(), [](const AXSubtree* p) { return p->isImage(); });
    const auto wholeLines = std::count_if(parts.cbegin(), parts.cend(), [](const AXSubtree* p) { return holdsWholeLine(*p); });
    if (!imagesBetween && wholeLines >= 2) {
        for (const AXSubtree* part : parts) {
            if (part->isGroup())
                collectLines(*part, false, false, level + 1, loose, out);
        }
        return;
    }
    readInOrder(parts, lineLevel ? loose : LooseParts::oneLine, out);
}

} // namespace

QList<RawBrowserMeetEntry> readLines(const AXSubtree& area, LooseParts loose) {
    QList<RawBrowserMeetEntry> lines;
    collectLines(area, true, true, 0, loose, lines);
    return lines;
}

QString lineText(const AXSubtree& line) {
    const Pieces pieces = piecesOf(childrenOf(line));
    QStringList words;
    QString avatar;
    bool nameSkipped = false;
    for (const Piece& piece : pieces) {
        if (piece.image) {
            if (words.isEmpty() && avatar.isEmpty())
                avatar = piece.value;
        } else if (words.isEmpty() && !nameSkipped && sameName(avatar, piece.value)) {
            nameSkipped = true;
        } else {
            words.append(piece.value);
        }
    }
    return words.join(QLatin1Char(' '));
}

} // namespace velmora::CaptionItems
