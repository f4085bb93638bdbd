#pragma once

#include "capture/SubstringIndex.h"

#include <QString>

#include <vector>

namespace velmora {

// The text of an open utterance, grown line by line with the rules of
// TranscriptAssembler::mergeOverlapping. It keeps what those rules need about its own text
// (character boundaries, the normalised form, and for long texts an index of it), so merging
// a line costs time in proportion to the line, not to the utterance: a monologue of an hour
// stays linear.
class AccumulatedText {
public:
    AccumulatedText() { assign(QString()); }
    explicit AccumulatedText(const QString& text) { assign(text); }

    const QString& text() const { return text_; }
    void assign(const QString& text);
    // Grows the text by `newText` and returns true when the rules merge them; otherwise leaves
    // it unchanged and returns false.
    bool merge(const QString& newText);
    // Replaces the last `count` code units with `tail` (a revised line at the end of the
    // text), in time proportional to the two, not to the text.
    void replaceEnd(qsizetype count, QStringView tail);

private:
    struct Segmented;

    void assignSegmented(const QString& text, Segmented&& segmented);
    bool normalizedContains(const QString& needle);
    // Comparison keys of the last `count` characters, with their starts in the returned text.
    QString tailKeys(qsizetype count, std::vector<qint32>& keyStarts) const;

    QString text_;
    std::vector<qint32> starts_;   // character starts, then text_.size()
    std::vector<qint32> normalizedStarts_; // where each character's part of normalized_ starts, then its size
    QString normalized_;
    SubstringIndex index_;         // of normalized_ but its last part, once scanning it has become costly
    bool indexed_ = false;
    qint64 scannedSinceAssign_ = 0;
};

} // namespace velmora
