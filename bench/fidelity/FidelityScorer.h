#pragma once

#include "fidelity/SyntheticMeeting.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <bit>
#include <vector>

namespace velmora::fidelity {

struct FidelityScore {
    double recall = 1.0;     // truth words found in the transcript, in order
    double precision = 1.0;  // transcript words that are truth words, in order
    int duplicates = 0;      // entries that mostly repeat words an earlier entry already gave
    int truthWords = 0;
    int transcriptWords = 0;
    int matchedWords = 0;
    int entries = 0;
    QList<int> duplicateEntries;  // indexes into the transcript
};

// Compares a transcript with the ground truth word by word. A word is its speaker plus its
// letters and digits in lower case, so punctuation and case never count, but a word given to the
// wrong speaker does. Recall and precision come from the longest common subsequence of the two
// word sequences: a word written twice, out of order or invented matches once at most.
// Duplicates: each entry is aligned with the utterances of its speaker that share the most
// words with it (up to three, for entries that span utterances); an entry is a duplicate when
// more than half of its aligned words (at least two) had been aligned before.
class FidelityScorer {
public:
    static QStringList words(const QString& text) {
        QStringList out;
        QString current;
        for (const char32_t c : text.toUcs4()) {
            if (QChar::isSpace(c)) {
                if (!current.isEmpty())
                    out.append(current.toLower());
                current.clear();
            } else if (QChar::isLetterOrNumber(c)) {
                current += QString::fromUcs4(&c, 1);
            }
        }
        if (!current.isEmpty())
            out.append(current.toLower());
        return out;
    }

    static FidelityScore score(const QList<SpokenLine>& truth, const QList<SpokenLine>& transcript) {
        FidelityScorer scorer;
        return scorer.run(truth, transcript);
    }

    // Length of the longest common subsequence (bit-parallel, Allison-Dix / Hyyrö).
    static int lcsLength(const std::vector<int>& a, const std::vector<int>& b) {
        if (a.empty() || b.empty())
            return 0;
        const std::size_t blocks = (a.size() + 63) / 64;
        QHash<int, int> slot;
        std::vector<std::vector<quint64>> masks;
        for (std::size_t i = 0; i < a.size(); ++i) {
            auto found = slot.find(a[i]);
            if (found == slot.end()) {
                found = slot.insert(a[i], int(masks.size()));
                masks.emplace_back(blocks, 0);
            }
            masks[*found][i / 64] |= quint64(1) << (i % 64);
        }
        std::vector<quint64> v(blocks, ~quint64(0));
        for (int symbol : b) {
            const auto found = slot.constFind(symbol);
            if (found == slot.cend())
                continue;
            const std::vector<quint64>& mask = masks[*found];
            quint64 carry = 0;
            for (std::size_t k = 0; k < blocks; ++k) {
                const quint64 u = v[k] & mask[k];
                const quint64 sum1 = v[k] + u;
                const quint64 sum = sum1 + carry;
                carry = quint64(sum1 < v[k]) | quint64(sum < sum1);
                v[k] = sum | (v[k] & ~mask[k]);
            }
        }
        int ones = 0;
        for (std::size_t k = 0; k < blocks; ++k) {
            quint64 word = v[k];
            if (k + 1 == blocks && a.size() % 64 != 0)
                word |= ~quint64(0) << (a.size() % 64);
            ones += std::popcount(word);
        }
        return int(blocks * 64) - ones;
    }

private:
    int token(const QString& speaker, const QString& word) {
        const QString key = speaker + QChar(0x1f) + word;
        const auto found = ids_.constFind(key);
        if (found != ids_.cend())
            return *found;
        const int id = int(ids_.size());
        ids_.insert(key, id);
        return id;
    }
    std::vector<int> tokens(const SpokenLine& line) {
        std::vector<int> out;
        for (const QString& word : words(line.text))
            out.push_back(token(line.speaker, word));
        return out;
    }

    // Classic table LCS with the aligned pairs (entry index, utterance index).
    static std::vector<std::pair<int, int>> align(const std::vector<int>& a, const std::vector<int>& b) {
        const std::size_t n = a.size(), m = b.size();
        std::vector<int> table((n + 1) * (m + 1), 0);
        auto at = [&](std::size_t i, std::size_t j) -> int& { return table[i * (m + 1) + j]; };
        for (std::size_t i = n; i-- > 0;)
            for (std::size_t j = m; j-- > 0;)
                at(i, j) = a[i] == b[j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
        std::vector<std::pair<int, int>> pairs;
        std::size_t i = 0, j = 0;
        while (i < n && j < m) {
            if (a[i] == b[j]) {
                pairs.emplace_back(int(i++), int(j++));
            } else if (at(i + 1, j) >= at(i, j + 1)) {
                ++i;
            } else {
                ++j;
            }
        }
        return pairs;
    }

    FidelityScore run(const QList<SpokenLine>& truth, const QList<SpokenLine>& transcript) {
        std::vector<int> truthTokens;
        std::vector<std::vector<int>> utterances;
        QHash<int, std::vector<int>> postings;  // token -> utterances holding it
        for (const SpokenLine& line : truth) {
            utterances.push_back(tokens(line));
            const int index = int(utterances.size()) - 1;
            for (int t : utterances.back()) {
                truthTokens.push_back(t);
                std::vector<int>& list = postings[t];
                if (list.empty() || list.back() != index)
                    list.push_back(index);
            }
        }
        std::vector<std::vector<bool>> covered;
        for (const auto& u : utterances)
            covered.emplace_back(u.size(), false);

        FidelityScore result;
        std::vector<int> transcriptTokens;
        for (const SpokenLine& entry : transcript) {
            const std::vector<int> entryTokens = tokens(entry);
            transcriptTokens.insert(transcriptTokens.end(), entryTokens.begin(), entryTokens.end());
            if (isDuplicate(entryTokens, utterances, postings, covered)) {
                ++result.duplicates;
                result.duplicateEntries.append(result.entries);
            }
            ++result.entries;
        }
        result.truthWords = int(truthTokens.size());
        result.transcriptWords = int(transcriptTokens.size());
        result.matchedWords = lcsLength(truthTokens, transcriptTokens);
        if (result.truthWords > 0)
            result.recall = double(result.matchedWords) / result.truthWords;
        if (result.transcriptWords > 0)
            result.precision = double(result.matchedWords) / result.transcriptWords;
        return result;
    }

    static bool isDuplicate(const std::vector<int>& entry, const std::vector<std::vector<int>>& utterances,
                            const QHash<int, std::vector<int>>& postings, std::vector<std::vector<bool>>& covered) {
        std::vector<bool> used(entry.size(), false);
        int matched = 0;
        int repeated = 0;
        for (int round = 0; round < 3; ++round) {
            std::vector<int> rest;
            std::vector<int> restIndex;
            for (std::size_t i = 0; i < entry.size(); ++i) {
                if (!used[i]) {
                    rest.push_back(entry[i]);
                    restIndex.push_back(int(i));
                }
            }
            if (rest.empty())
                break;
            QHash<int, int> hits;
            std::vector<int> distinct = rest;
            std::sort(distinct.begin(), distinct.end());
            distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
            for (int t : distinct)
                for (int u : postings.value(t))
                    ++hits[u];
            std::vector<std::pair<int, int>> ranked;  // (hits, utterance)
            for (auto it = hits.cbegin(); it != hits.cend(); ++it)
                ranked.emplace_back(it.value(), it.key());
            std::sort(ranked.begin(), ranked.end(), [](auto x, auto y) {
                return x.first != y.first ? x.first > y.first : x.second < y.second;
            });
            int bestUtterance = -1, bestLength = 0, bestFresh = -1;
            std::vector<std::pair<int, int>> bestPairs;
            for (std::size_t c = 0; c < ranked.size() && c < 6; ++c) {
                const int u = ranked[c].second;
                auto pairs = align(rest, utterances[std::size_t(u)]);
                int fresh = 0;
                for (auto [i, j] : pairs)
                    fresh += covered[std::size_t(u)][std::size_t(j)] ? 0 : 1;
                const int length = int(pairs.size());
                if (length > bestLength || (length == bestLength && fresh > bestFresh)) {
                    bestUtterance = u;
                    bestLength = length;
                    bestFresh = fresh;
                    bestPairs = std::move(pairs);
                }
            }
            if (bestUtterance < 0 || bestLength == 0 || (round > 0 && bestLength < 2))
                break;
            matched += bestLength;
            repeated += bestLength - bestFresh;
            for (auto [i, j] : bestPairs) {
                used[std::size_t(restIndex[std::size_t(i)])] = true;
                covered[std::size_t(bestUtterance)][std::size_t(j)] = true;
            }
        }
        return matched >= 2 && 2 * repeated > matched;
    }

    QHash<QString, int> ids_;
};

} // namespace velmora::fidelity
