#include "capture/ComparableText.h"

#include "capture/Graphemes.h"

#include <QString>

#include <algorithm>

namespace velmora {

namespace {

// A character's code: the code unit itself when its comparison form is one unit, else a hash of
// the form with the top bit set (64 bits, so that distinct characters do not meet in practice).
quint64 codeOf(QStringView key) {
    if (key.size() == 1)
        return key.front().unicode();
    quint64 hash = 14695981039346656037ull;
    for (QChar unit : key) {
        hash ^= unit.unicode();
        hash *= 1099511628211ull;
    }
    return hash | (quint64(1) << 63);
}

} // namespace

ComparableText::ComparableText(QStringView text) {
    const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    codes_.reserve(text.size());
    raw_.reserve(text.size());
    if (ascii) {
        // Most captions: one code unit per character, lower-cased by hand.
        for (qsizetype i = 0; i < text.size(); ++i) {
            char16_t c = text[i].unicode();
            if (c >= u'A' && c <= u'Z')
                c = char16_t(c - u'A' + u'a');
            else if (!(c >= u'a' && c <= u'z') && !(c >= u'0' && c <= u'9') && c != u' ')
                continue;
            append(c, qint32(i));
        }
        return;
    }
    const std::vector<qint32> starts = Graphemes::segment(text);
    QString key;
    for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
        if (starts[i + 1] - starts[i] == 1) {
            // One code unit: what Graphemes does for it, without building strings.
            const QChar unit = text[starts[i]];
            if (unit == u' ' || (!unit.isSurrogate() && unit.isLetterOrNumber()))
                append(QChar::toLower(unit.unicode()), starts[i]);
            continue;
        }
        const QStringView character = text.mid(starts[i], starts[i + 1] - starts[i]);
        if (!Graphemes::isWordCharacter(character))
            continue;
        key.clear();
        Graphemes::appendKey(character, key);
        append(codeOf(key), starts[i]);
    }
}

void ComparableText::append(quint64 code, qint32 rawPosition) {
    const bool blank = code == u' ';
    if (blank) {
        ++blanks_;
    } else if (codes_.empty() || codes_.back() == u' ') {
        wordStarts_.push_back(qint32(codes_.size()));
        wordEnds_.push_back(qint32(codes_.size()));
    }
    codes_.push_back(code);
    raw_.push_back(rawPosition);
    if (!blank)
        wordEnds_.back() = qint32(codes_.size());
}

qsizetype ComparableText::lengthBeforeBlank(qsizetype n) const {
    qsizetype seen = 0;
    for (qsizetype i = 0; i < size(); ++i) {
        if (codes_[std::size_t(i)] == u' ' && seen++ == n)
            return i;
    }
    return size();
}

bool ComparableText::sameWord(qsizetype i, const ComparableText& other, qsizetype j) const {
    const auto begin = codes_.begin() + wordStarts_[std::size_t(i)];
    const auto end = codes_.begin() + wordEnds_[std::size_t(i)];
    const auto otherBegin = other.codes_.begin() + other.wordStarts_[std::size_t(j)];
    const auto otherEnd = other.codes_.begin() + other.wordEnds_[std::size_t(j)];
    return std::equal(begin, end, otherBegin, otherEnd);
}

} // namespace velmora
