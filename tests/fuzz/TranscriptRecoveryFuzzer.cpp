// The crash-recovery reader of unfinished transcripts on arbitrary files: what it reads from a
// header is a valid start and, when there is one, a last utterance within the day after it.
#include "FuzzSupport.h"

#include "app/TranscriptRecovery.h"

using namespace velmora;
using velmora::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte picks the file's format, the rest is its content.
    const QString extension = data[0] % 2 ? QStringLiteral("md") : QStringLiteral("txt");
    const QString content = fuzz::utf8(data + 1, size - 1);
    const auto header = TranscriptRecovery::readHeader(content, extension);
    if (!header)
        return 0;
    require(TranscriptRecovery::isUnfinished(content, extension), "a header read from a finished file");
    require(header->start.isValid(), "an invalid start");
    if (header->lastUtterance) {
        require(*header->lastUtterance >= header->start, "an utterance before the start");
        require(*header->lastUtterance < header->start.addDays(1), "an utterance a day after the start");
    }
    TranscriptRecovery::sourceFromFileName(content.left(200));
    return 0;
}
