// The summary file's parser on arbitrary text: whatever it reads, writing that summary and
// reading it back gives the same summary.
#include "FuzzSupport.h"

#include "summary/SummaryMarkdownParser.h"

using namespace velmora;
using velmora::fuzz::require;

namespace {

QString describe(const MeetingSummary& summary) {
    return QStringLiteral("topics=[%1] actions=[%2] decisions=[%3] attendees=[%4]")
        .arg(summary.topics.join(u'|'), summary.actionItems.join(u'|'),
             summary.decisions.join(u'|'), summary.attendees.join(u'|'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MeetingSummary parsed = SummaryMarkdownParser::parse(fuzz::utf8(data, size));
    const QString rendered = SummaryMarkdownParser::render(parsed);
    const MeetingSummary reread = SummaryMarkdownParser::parse(rendered);
    require(reread == parsed, "a summary that does not survive its own file",
            describe(parsed) + QStringLiteral(" became ") + describe(reread));
    return 0;
}
