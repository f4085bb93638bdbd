#include "app/SearchCommand.h"

#include "app/CommandLine.h"

#include "app/OutputDirectoryManager.h"
#include "capture/QtScheduler.h"
#include "library/MeetingHistoryManager.h"
#include "library/search/MeetingSearchIndex.h"

#include <QCommandLineParser>
#include <QCoroTask>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

#include <unistd.h>

namespace velmora {

namespace {

constexpr int exitFound = 0;
constexpr int exitNone = 1;
constexpr int exitBadInput = 2;

QString configuredOutputDirectory() {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("velmora"),
                       QStringLiteral("velmora"));
    return OutputDirectoryManager(settings).outputDirectory();
}

QString place(const SearchResult& result) {
    switch (result.kind) {
    case SearchEntryKind::transcript:
        return result.time ? QStringLiteral("%1 %2").arg(result.speaker, result.time->toString(QStringLiteral("HH:mm:ss")))
                           : result.speaker;
    case SearchEntryKind::notes: return QStringLiteral("notes");
    case SearchEntryKind::summary:
        return result.section.isEmpty() ? QStringLiteral("summary") : QStringLiteral("summary, ") + result.section;
    }
    return {};
}

QString line(const SearchResult& result, bool terminal) {
    const QString marked = terminal ? result.snippet.marked(QStringLiteral("\x1b[1m"), QStringLiteral("\x1b[0m"))
                                    : result.snippet.marked(QStringLiteral("**"), QStringLiteral("**"));
    return QStringLiteral("%1  %2  %3  %4")
        .arg(result.meetingDate.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")),
             CaptionSources::displayName(result.source), place(result), marked);
}

QJsonObject json(const SearchResult& result) {
    QJsonArray matches;
    for (const SearchSnippet::Range& range : result.snippet.matches)
        matches.append(QJsonArray{static_cast<qint64>(range.start), static_cast<qint64>(range.length)});
    QJsonObject object{
        {QStringLiteral("meeting"), result.meetingID.toString(QUuid::WithoutBraces).toUpper()},
        {QStringLiteral("date"), result.meetingDate.toLocalTime().toString(Qt::ISODate)},
        {QStringLiteral("source"), CaptionSources::rawValue(result.source)},
        {QStringLiteral("kind"), SearchEntryKinds::rawValue(result.kind)},
        {QStringLiteral("file"), result.filePath},
        {QStringLiteral("ordinal"), result.ordinal},
        {QStringLiteral("snippet"), result.snippet.text},
        {QStringLiteral("matches"), matches},
    };
    if (!result.speaker.isEmpty())
        object.insert(QStringLiteral("speaker"), result.speaker);
    if (result.time)
        object.insert(QStringLiteral("time"), result.time->toString(QStringLiteral("HH:mm:ss")));
    if (!result.section.isEmpty())
        object.insert(QStringLiteral("section"), result.section);
    return object;
}

struct Run {
    SearchDatabase::SyncReport report;
    SearchOutcome outcome;
};

QCoro::Task<Run> syncAndSearch(MeetingSearchIndex& index, QString query, int limit) {
    Run run;
    auto syncing = index.sync();
    run.report = co_await syncing;
    auto searching = index.search(query, limit);
    run.outcome = co_await searching;
    co_return run;
}

} // namespace

int SearchCommand::run(const QStringList& arguments) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    return run(arguments, out, err, ::isatty(STDOUT_FILENO) == 1);
}

int SearchCommand::run(const QStringList& arguments, QTextStream& out, QTextStream& err, bool terminal) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Searches the transcripts, notes and summaries of every meeting.\n"
        "All words must match. \"exact phrase\", prefix*, speaker:Name or speaker:\"Full Name\",\n"
        "after:2026-03-01 (that day and later), before:2026-04-01 (earlier days)."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Shows this help."));
    const QCommandLineOption jsonOption(QStringLiteral("json"), QStringLiteral("Prints the results as JSON."));
    const QCommandLineOption limitOption(QStringLiteral("limit"),
                                         QStringLiteral("At most N results (default %1).").arg(defaultLimit),
                                         QStringLiteral("N"), QString::number(defaultLimit));
    const QCommandLineOption outputOption(QStringLiteral("output-dir"),
                                          QStringLiteral("Searches the meetings in DIR instead of the "
                                                         "configured folder."),
                                          QStringLiteral("DIR"));
    parser.addOptions({helpOption, jsonOption, limitOption, outputOption});
    parser.addPositionalArgument(QStringLiteral("QUERY"), QStringLiteral("What to search for."));

    const auto fail = [&](int status, const QString& message) {
        err << "velmora search: " << message << '\n';
        err.flush();
        return status;
    };
    if (const auto done = CommandLine::parseSubcommand(parser, arguments, QStringLiteral("search"),
                                                       helpOption, out, err))
        return *done;
    // Several words without quotes around them are one query.
    const QString query = parser.positionalArguments().join(QLatin1Char(' '));
    if (query.trimmed().isEmpty())
        return fail(exitBadInput, QStringLiteral("what should I search for? (see --help)"));
    bool limitOk = false;
    const int limit = parser.value(limitOption).toInt(&limitOk);
    if (!limitOk || limit < 1 || limit > maxLimit)
        return fail(exitBadInput, QStringLiteral("--limit needs a number from 1 to %1").arg(maxLimit));

    const QString directory = parser.isSet(outputOption) ? parser.value(outputOption) : configuredOutputDirectory();
    const QFileInfo info(directory);
    if (!info.isDir() || !info.isReadable())
        return fail(exitBadInput, QStringLiteral("%1 is not a readable folder").arg(directory));
    const SearchQuery parsed = SearchQuery::parse(query);
    if (!parsed.isValid())
        return fail(exitBadInput, parsed.error);

    // Read only: the history is the application's to change.
    QString historyError;
    const auto records = MeetingHistoryManager::loadRecords(
        QDir(directory).filePath(QLatin1String(MeetingHistoryManager::historyFileName)), directory, historyError);
    if (!records)
        return fail(exitBadInput, QStringLiteral("the meeting history cannot be read: %1").arg(historyError));

    QtScheduler scheduler;
    MeetingSearchIndex index(directory, [&records] { return *records; }, scheduler);
    const Run run = QCoro::waitFor(syncAndSearch(index, query, limit));
    if (run.report.failed)
        err << "velmora search: the index could not be brought fully up to date; results may be incomplete\n";
    if (!run.outcome.error.isEmpty())
        return fail(exitBadInput, run.outcome.error);

    if (parser.isSet(jsonOption)) {
        QJsonArray array;
        for (const SearchResult& result : run.outcome.results)
            array.append(json(result));
        out << QJsonDocument(array).toJson(QJsonDocument::Indented);
    } else {
        for (const SearchResult& result : run.outcome.results)
            out << line(result, terminal) << '\n';
    }
    out.flush();
    err.flush();
    return run.outcome.results.isEmpty() ? exitNone : exitFound;
}

} // namespace velmora
