#pragma once

#include <QStringView>

#include <vector>

namespace velmora {

// A caption text in the form two lines are compared in: its normalised characters (letters,
// numbers and plain spaces, lower-case and composed, as TranscriptAssembler normalises), one per
// user-perceived character, each remembering where it starts in the raw text; and the words they
// make (runs without a blank).
class ComparableText {
public:
    explicit ComparableText(QStringView text);

    // Normalised characters.
    qsizetype size() const { return qsizetype(codes_.size()); }
    // Equal codes mean equal characters.
    quint64 code(qsizetype i) const { return codes_[std::size_t(i)]; }
    // Where character i starts in the raw text.
    qsizetype rawPosition(qsizetype i) const { return raw_[std::size_t(i)]; }
    qsizetype blankCount() const { return blanks_; }
    // Characters before the blank number `n` (counted from 0), or size() when there are fewer.
    qsizetype lengthBeforeBlank(qsizetype n) const;

    qsizetype wordCount() const { return qsizetype(wordStarts_.size()); }
    // Where word i starts in the raw text.
    qsizetype wordRawPosition(qsizetype i) const { return rawPosition(wordStarts_[std::size_t(i)]); }
    bool sameWord(qsizetype i, const ComparableText& other, qsizetype j) const;

private:
    void append(quint64 code, qint32 rawPosition);

    std::vector<quint64> codes_;
    std::vector<qint32> raw_;
    std::vector<qint32> wordStarts_;
    std::vector<qint32> wordEnds_;
    qsizetype blanks_ = 0;
};

} // namespace velmora
