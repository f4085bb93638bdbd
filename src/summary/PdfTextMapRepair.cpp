#include "summary/PdfTextMapRepair.h"

#include <QChar>
#include <QList>
#include <QString>

#include <optional>

namespace velmora::PdfTextMapRepair {

namespace {

bool isRadical(char16_t u) { return u >= 0x2E80 && u <= 0x2FDF; }

// The ideograph a radical stands for, if its compatibility decomposition is one BMP character.
std::optional<char16_t> ideographFor(char16_t radical) {
    const QString decomposed = QChar(radical).decomposition();
    if (decomposed.size() != 1)
        return std::nullopt;
    return decomposed.front().unicode();
}

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// Rewrites the destination code "<XXXX>" at `at` (4 hex digits) when it names a radical.
void repairCode(QByteArray& pdf, qsizetype at) {
    bool ok = false;
    const auto code = char16_t(pdf.mid(at + 1, 4).toUShort(&ok, 16));
    if (!ok || !isRadical(code))
        return;
    if (const auto ideograph = ideographFor(code))
        pdf.replace(at + 1, 4, QByteArray::number(*ideograph, 16).toUpper().rightJustified(4, '0'));
}

bool isCodeAt(const QByteArray& pdf, qsizetype at, qsizetype end) {
    if (at + 5 >= end || pdf[at] != '<' || pdf[at + 5] != '>')
        return false;
    for (qsizetype i = at + 1; i <= at + 4; ++i) {
        if (!isHex(pdf[i]))
            return false;
    }
    return true;
}

// One "srcLow srcHigh dst" line or "srcLow srcHigh [dst…]" line of a bfrange section: the
// destinations are every code after the first two. A range mapped from one start code maps
// consecutive glyphs to consecutive characters, so only a one-glyph range is rewritten there.
void repairRangeLine(QByteArray& pdf, qsizetype begin, qsizetype end) {
    QList<qsizetype> codes;
    bool array = false;
    for (qsizetype i = begin; i < end; ++i) {
        if (pdf[i] == '[')
            array = true;
        if (isCodeAt(pdf, i, end))
            codes << i;
    }
    if (codes.size() < 3)
        return;
    const bool oneGlyph = pdf.mid(codes[0], 6) == pdf.mid(codes[1], 6);
    if (!array && !oneGlyph)
        return;
    for (qsizetype k = 2; k < codes.size(); ++k)
        repairCode(pdf, codes[k]);
}

// One "src dst" line of a bfchar section.
void repairCharLine(QByteArray& pdf, qsizetype begin, qsizetype end) {
    QList<qsizetype> codes;
    for (qsizetype i = begin; i < end; ++i) {
        if (isCodeAt(pdf, i, end))
            codes << i;
    }
    if (codes.size() == 2)
        repairCode(pdf, codes[1]);
}

void repairSections(QByteArray& pdf, const QByteArray& open, const QByteArray& close,
                    void (*repairLine)(QByteArray&, qsizetype, qsizetype)) {
    qsizetype from = 0;
    while ((from = pdf.indexOf(open, from)) >= 0) {
        const qsizetype sectionEnd = pdf.indexOf(close, from);
        if (sectionEnd < 0)
            return;
        qsizetype line = pdf.indexOf('\n', from) + 1;
        while (line > 0 && line < sectionEnd) {
            qsizetype lineEnd = pdf.indexOf('\n', line);
            if (lineEnd < 0 || lineEnd > sectionEnd)
                lineEnd = sectionEnd;
            repairLine(pdf, line, lineEnd);
            line = lineEnd + 1;
        }
        from = sectionEnd + close.size();
    }
}

} // namespace

void mapRadicalsToIdeographs(QByteArray& pdf) {
    repairSections(pdf, QByteArrayLiteral("beginbfrange"), QByteArrayLiteral("endbfrange"), repairRangeLine);
    repairSections(pdf, QByteArrayLiteral("beginbfchar"), QByteArrayLiteral("endbfchar"), repairCharLine);
}

} // namespace velmora::PdfTextMapRepair
