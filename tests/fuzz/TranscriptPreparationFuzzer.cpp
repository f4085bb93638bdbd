// The text functions that prepare a transcript for summarising, on arbitrary text:
// de-duplication only drops lines, chunks and halves lose nothing but their separators.
#include "FuzzSupport.h"

#include "summary/TranscriptPreparation.h"

using namespace velmora;
using velmora::fuzz::require;

namespace {

void requireDropsOnlyLines(const QString& text) {
    const QString cleaned = TranscriptPreparation::deduplicateTranscript(text);
    // Every line it keeps is a line of the input, in the input's order (blank lines aside: the
    // turns are written back one per heading).
    const QStringList input = text.split(u'\n');
    qsizetype next = 0;
    for (const QString& line : cleaned.split(u'\n', Qt::SkipEmptyParts)) {
        while (next < input.size() && input[next] != line)
            ++next;
        require(next < input.size(), "de-duplication wrote a line that was not there", line);
        ++next;
    }
}

void requireChunksKeepLines(const QString& text, qsizetype maxChars) {
    for (const QString& chunk : TranscriptPreparation::splitIntoChunks(text, maxChars)) {
        require(text.contains(chunk), "a chunk that is not a run of the text's lines", chunk);
        if (chunk.contains(u'\n'))
            require(TranscriptPreparation::graphemeCount(chunk) <= maxChars, "a chunk too long");
    }
}

void requireHalves(const QString& text) {
    const QStringList halves = TranscriptPreparation::bisect(text);
    if (halves.size() == 1) {
        require(halves[0] == text && TranscriptPreparation::graphemeCount(text) < 2,
                "only text shorter than two characters stays whole");
        return;
    }
    require(halves.size() == 2, "bisect gave more than two pieces");
    const QString joined = halves[0] + halves[1];
    const bool lostOneSeparator =
        joined.size() + 1 == text.size() && text.startsWith(halves[0]) && text.endsWith(halves[1]) &&
        (text[halves[0].size()] == u'\n' || text[halves[0].size()] == u' ');
    require(joined == text || lostOneSeparator, "bisect lost text");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte picks the chunk size, the rest is the transcript.
    const qsizetype maxChars = 1 + data[0] % 64;
    const QString text = fuzz::utf8(data + 1, size - 1);
    requireDropsOnlyLines(text);
    requireChunksKeepLines(text, maxChars);
    requireHalves(text);
    TranscriptPreparation::extractSpeakers(text);
    return 0;
}
