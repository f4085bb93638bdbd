#pragma once

#include "summary/SummaryService.h"

namespace velmora {

// The built-in engine: a summary with no model server and no model files, in well under a
// second, from the same cleaned transcript the model would read.
class ExtractiveSummaryService final : public SummaryService {
public:
    static QString description() { return QStringLiteral("extractive engine"); }

    QCoro::Task<std::optional<GeneratedSummary>> generateSummary(
        QString transcriptPath, std::optional<QString> notes, SummaryRun run = {}) override;
};

} // namespace velmora
