#pragma once

#include "capture/CancelToken.h"

#include <QCoroTask>
#include <QString>

#include <functional>
#include <optional>

namespace velmora {

enum class SummaryEngine { model, extractive };

// Where a running summary is: chunk k of n, then merging the chunks' partial summaries.
struct SummaryProgress {
    int chunk = 0; // 1-based
    int chunkCount = 0;
    bool merging = false;

    bool operator==(const SummaryProgress&) const = default;
};

// What the caller hands a running summary: where to report progress, and a token that ends it.
struct SummaryRun {
    std::function<void(const SummaryProgress&)> onProgress;
    CancelToken cancel;

    void report(const SummaryProgress& progress) const {
        if (onProgress)
            onProgress(progress);
    }
};

// A summary file written, and which engine wrote it.
struct GeneratedSummary {
    QString path;
    SummaryEngine engine = SummaryEngine::extractive;
    QString engineDescription; // "extractive engine", "model llama3 at http://…"
};

// Writes the summary of a transcript as a Markdown file beside it. Main thread.
class SummaryService {
public:
    virtual ~SummaryService() = default;

    // nullopt when there was nothing to summarise or no engine produced a summary. Throws
    // FileError when the transcript cannot be read or the summary cannot be written, and
    // LanguageModelError (cancelled) when `run.cancel` ended it.
    virtual QCoro::Task<std::optional<GeneratedSummary>> generateSummary(
        QString transcriptPath, std::optional<QString> notes, SummaryRun run = {}) = 0;
};

} // namespace velmora
