#include "capture/AccumulatedText.h"

#include "capture/Graphemes.h"

#include <algorithm>
#include <iterator>

namespace velmora {

namespace {
// A text is indexed once the scans of it since it was set have cost this many times its
// length (and it is long enough for an index to pay off).
constexpr qint64 indexAfterScans = 4;
constexpr qsizetype minIndexedLength = 512;
// The index leaves out the text's last code units, which a revised line may still replace.
constexpr qsizetype unindexedTail = 1024;
} // namespace

struct AccumulatedText::Segmented {
    explicit Segmented(QStringView text) : starts(Graphemes::segment(text)) {
        const qsizetype count = qsizetype(starts.size()) - 1;
        keyStarts.reserve(count + 1);
        word.reserve(count);
        for (qsizetype i = 0; i < count; ++i) {
            const QStringView character = text.mid(starts[i], starts[i + 1] - starts[i]);
            keyStarts.push_back(qint32(keys.size()));
            Graphemes::appendKey(character, keys);
            word.push_back(Graphemes::isWordCharacter(character));
        }
        keyStarts.push_back(qint32(keys.size()));
    }

    qsizetype count() const { return qsizetype(starts.size()) - 1; }
    QStringView key(qsizetype i) const {
        return QStringView(keys).mid(keyStarts[i], keyStarts[i + 1] - keyStarts[i]);
    }
    // The normalised form of the characters from `first` on.
    QString normalized(qsizetype first = 0) const {
        QString result;
        for (qsizetype i = first; i < count(); ++i) {
            if (word[i])
                result += key(i);
        }
        return result;
    }
    // Appends, for the characters from `first` on, where each one's normalised part starts
    // when the normalised form so far has `base` code units; then the end.
    void appendNormalizedStarts(qsizetype first, qint32 base, std::vector<qint32>& out) const {
        for (qsizetype i = first; i < count(); ++i) {
            out.push_back(base);
            if (word[i])
                base += keyStarts[i + 1] - keyStarts[i];
        }
        out.push_back(base);
    }

    std::vector<qint32> starts;
    QString keys;
    std::vector<qint32> keyStarts;
    std::vector<bool> word;
};

void AccumulatedText::assign(const QString& text) { assignSegmented(text, Segmented(text)); }

void AccumulatedText::assignSegmented(const QString& text, Segmented&& segmented) {
    text_ = text;
    normalized_ = segmented.normalized();
    normalizedStarts_.clear();
    segmented.appendNormalizedStarts(0, 0, normalizedStarts_);
    starts_ = std::move(segmented.starts);
    index_.clear();
    indexed_ = false;
    scannedSinceAssign_ = 0;
}

bool AccumulatedText::merge(const QString& newText) {
    if (text_ == newText)
        return true;
    Segmented added(newText);
    const QString addedNormalized = added.normalized();
    if (normalized_ == addedNormalized) {
        assignSegmented(newText, std::move(added));
        return true;
    }
    if (normalizedContains(addedNormalized))
        return true;
    if (addedNormalized.size() >= normalized_.size() && addedNormalized.contains(normalized_)) {
        assignSegmented(newText, std::move(added));
        return true;
    }

    // Longest overlap of the text's end with the new text's start, in whole characters: the
    // longest prefix of the new text's first `shortest` characters that is a suffix of the
    // text's last `shortest` characters (Knuth-Morris-Pratt over character keys).
    const qsizetype count = qsizetype(starts_.size()) - 1;
    const qsizetype shortest = std::min(count, added.count());
    const qsizetype minOverlap = std::clamp<qsizetype>(shortest / 3, 3, 12);
    if (shortest < minOverlap)
        return false;
    std::vector<qsizetype> failure(shortest, 0);
    for (qsizetype i = 1, matched = 0; i < shortest; ++i) {
        while (matched > 0 && added.key(i) != added.key(matched))
            matched = failure[matched - 1];
        if (added.key(i) == added.key(matched))
            ++matched;
        failure[i] = matched;
    }
    std::vector<qint32> tailStarts;
    const QString tail = tailKeys(shortest, tailStarts);
    qsizetype overlap = 0;
    for (qsizetype i = 0; i < shortest; ++i) {
        const QStringView key = QStringView(tail).mid(tailStarts[i], tailStarts[i + 1] - tailStarts[i]);
        if (overlap == shortest)
            overlap = failure[overlap - 1];
        while (overlap > 0 && added.key(overlap) != key)
            overlap = failure[overlap - 1];
        if (added.key(overlap) == key)
            ++overlap;
    }
    if (overlap < minOverlap)
        return false;

    const qint32 cut = added.starts[overlap];
    const qint32 offset = qint32(text_.size()) - cut;
    text_ += QStringView(newText).mid(cut);
    starts_.pop_back();
    for (qsizetype i = overlap; i < qsizetype(added.starts.size()); ++i)
        starts_.push_back(added.starts[i] + offset);
    normalizedStarts_.pop_back();
    added.appendNormalizedStarts(overlap, qint32(normalized_.size()), normalizedStarts_);
    normalized_ += added.normalized(overlap);
    return true;
}

void AccumulatedText::replaceEnd(qsizetype count, QStringView tail) {
    const qsizetype cut = std::clamp<qsizetype>(text_.size() - count, 0, text_.size());
    // Cut at the start of the character the cut falls in; that character is segmented anew.
    const auto boundary = std::prev(std::upper_bound(starts_.begin(), starts_.end(), qint32(cut)));
    const std::size_t kept = std::size_t(boundary - starts_.begin());
    const qint32 keptLength = *boundary;
    const QString newTail = text_.mid(keptLength, cut - keptLength) + tail.toString();

    text_.truncate(keptLength);
    normalized_.truncate(normalizedStarts_[kept]);
    starts_.resize(kept);
    normalizedStarts_.resize(kept);
    if (indexed_ && index_.size() > normalized_.size()) {
        index_.clear();
        indexed_ = false;
        scannedSinceAssign_ = 0;
    }

    const Segmented added(newTail);
    for (qsizetype i = 0; i < added.count(); ++i)
        starts_.push_back(keptLength + added.starts[i]);
    starts_.push_back(keptLength + qint32(newTail.size()));
    added.appendNormalizedStarts(0, qint32(normalized_.size()), normalizedStarts_);
    text_ += newTail;
    normalized_ += added.normalized();
}

bool AccumulatedText::normalizedContains(const QString& needle) {
    if (needle.size() > normalized_.size())
        return false;
    if (indexed_) {
        const qsizetype indexable = normalized_.size() - unindexedTail;
        if (indexable > index_.size())
            index_.append(QStringView(normalized_).mid(index_.size(), indexable - index_.size()));
        if (index_.contains(needle))
            return true;
        // An occurrence that ends in the part not indexed.
        const qsizetype from = std::max<qsizetype>(0, index_.size() - needle.size() + 1);
        return QStringView(normalized_).mid(from).contains(needle);
    }
    const bool found = normalized_.contains(needle);
    // Scanning a text that keeps growing, once per line, would make a long monologue
    // quadratic; once the scans have cost a few times the text, index it instead.
    scannedSinceAssign_ += normalized_.size();
    if (normalized_.size() >= minIndexedLength &&
        scannedSinceAssign_ >= indexAfterScans * normalized_.size()) {
        index_.append(QStringView(normalized_).left(std::max<qsizetype>(0, normalized_.size() - unindexedTail)));
        indexed_ = true;
    }
    return found;
}

QString AccumulatedText::tailKeys(qsizetype count, std::vector<qint32>& keyStarts) const {
    QString keys;
    keyStarts.clear();
    keyStarts.reserve(count + 1);
    const qsizetype first = qsizetype(starts_.size()) - 1 - count;
    for (qsizetype i = first; i < first + count; ++i) {
        keyStarts.push_back(qint32(keys.size()));
        Graphemes::appendKey(QStringView(text_).mid(starts_[i], starts_[i + 1] - starts_[i]), keys);
    }
    keyStarts.push_back(qint32(keys.size()));
    return keys;
}

} // namespace velmora
