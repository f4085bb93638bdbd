#pragma once

#include "capture/CaptionSource.h"
#include "library/search/SearchEntryKind.h"
#include "library/search/SearchSnippet.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTime>
#include <QUuid>

#include <optional>

namespace velmora {

// One hit: enough to list it and to open the meeting on the right tab at the right entry.
struct SearchResult {
    QUuid meetingID;
    QDateTime meetingDate;
    CaptionSource source = CaptionSource::teams;
    SearchEntryKind kind = SearchEntryKind::transcript;
    QString filePath;
    int ordinal = 0; // the entry's place in its file (utterance, paragraph or summary item)
    QString speaker;
    std::optional<QTime> time;
    QString section; // summaries
    SearchSnippet snippet;
    double score = 0; // lower is more relevant
};

struct SearchOutcome {
    QList<SearchResult> results;
    QString error; // for the user: a query that cannot run or an index that cannot be read
};

} // namespace velmora
