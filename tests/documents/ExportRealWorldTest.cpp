// The exported documents as a real word processor and real PDF tools see them, made by the real
// command line without a display. LibreOffice starts slowly, so every document is exported and
// converted once for the whole program.
#include "summary/ExportTestSupport.h"
#include "summary/ExportFormat.h"
#include "summary/SummaryMarkdownParser.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing;

namespace {

MeetingSummary richSummary() {
    MeetingSummary s;
    s.topics = {QStringLiteral("Budget review – café «Zürich» naïve résumé"),
                QStringLiteral("Ελληνικά: προϋπολογισμός"), QStringLiteral("Русский: бюджет на квартал"),
                QStringLiteral("Q&A <draft> \"final\" it's Tom &amp; Jerry")};
    s.actionItems = {QStringLiteral("日本語: 資料を金曜日までに送る"), QStringLiteral("中文：下周一发布"),
                     QStringLiteral("한국어: 회의록 공유")};
    s.attendees = {QStringLiteral("Анна"), QStringLiteral("李雷"), QStringLiteral("Élodie")};
    return s;
}

MeetingSummary longSummary() {
    MeetingSummary s;
    for (int i = 1; i <= 230; ++i) {
        s.topics << QStringLiteral("Topic %1 about the quarterly plan").arg(i);
        s.actionItems << QStringLiteral("Action %1 for the team").arg(i);
        s.decisions << QStringLiteral("Decision %1 was taken").arg(i);
        s.attendees << QStringLiteral("Attendee %1").arg(i);
    }
    return s;
}

// Every paragraph of an exported summary, in the order the documents must show them.
QStringList paragraphs(const MeetingSummary& summary) {
    QStringList lines = {QStringLiteral("Meeting Summary")};
    for (const SummaryMarkdownParser::Section& section : SummaryMarkdownParser::sections()) {
        lines << section.title;
        for (const QString& item : summary.*section.items)
            lines << QStringLiteral("  \u2022 ") + item;
        if ((summary.*section.items).isEmpty())
            lines << QStringLiteral("(none)");
    }
    return lines;
}

QString collapsed(const QStringList& lines) { return collapsedText(lines.join(u' ')); }

// The environment of a user without any display.
QProcessEnvironment withoutDisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

ProgramRun velmoraExport(const QStringList& arguments) {
    return runProgram(QStringLiteral(VELMORA_EXECUTABLE), QStringList{QStringLiteral("export")} + arguments,
                      withoutDisplay());
}

QString popplerText(const QString& pdf, int page = 0) {
    QStringList arguments;
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    return QString::fromUtf8(runProgram(QStringLiteral("pdftotext"), arguments << pdf << QStringLiteral("-")).out);
}

QString pdfInfo(const QString& pdf, const QString& field) {
    const QString info = QString::fromUtf8(runProgram(QStringLiteral("pdfinfo"), {pdf}).out);
    const QRegularExpression line(QStringLiteral("^%1:\\s*(.*)$").arg(field), QRegularExpression::MultilineOption);
    return line.match(info).captured(1).trimmed();
}

struct Font {
    QString name;
    bool embedded = false;
    bool unicodeMap = false;
};

QList<Font> pdfFonts(const QString& pdf) {
    QList<Font> fonts;
    const QStringList lines = QString::fromUtf8(runProgram(QStringLiteral("pdffonts"), {pdf}).out).split(u'\n');
    for (const QString& line : lines.mid(2)) {
        // name type… encoding emb sub uni object generation
        const QStringList columns = line.split(u' ', Qt::SkipEmptyParts);
        if (columns.size() >= 7)
            fonts << Font{columns.first(), columns.at(columns.size() - 5) == QLatin1String("yes"),
                          columns.at(columns.size() - 3) == QLatin1String("yes")};
    }
    return fonts;
}

class ExportRealWorldTest : public ::testing::Test {
protected:
    static inline QTemporaryDir* dir = nullptr;
    static inline QString conversionError;

    static QString path(const QString& name) { return dir->filePath(name); }

    static QString writeSummary(const QString& name, const MeetingSummary& summary) {
        const QString file = path(name);
        writeFile(file, SummaryMarkdownParser::render(summary).toUtf8());
        return file;
    }

    static void exportAll() {
        const auto rich = writeSummary(QStringLiteral("rich-summary.md"), richSummary());
        const auto empty = writeSummary(QStringLiteral("empty-summary.md"), {});
        const auto longOne = writeSummary(QStringLiteral("long-summary.md"), longSummary());
        for (const QString& summary : {rich, empty, longOne}) {
            for (const char* format : {"pdf", "docx"}) {
                const ProgramRun run = velmoraExport({summary, QStringLiteral("--format"), QString::fromLatin1(format)});
                if (run.exitCode != 0)
                    conversionError += QStringLiteral("export of %1 as %2 failed: %3\n")
                                           .arg(summary, QString::fromLatin1(format), QString::fromUtf8(run.err));
            }
        }
    }

    // One LibreOffice per target format, with a profile and home of its own.
    static void convertWithLibreOffice(const QString& filter, const QStringList& documents) {
        const QString home = path(QStringLiteral("office-home"));
        QDir().mkpath(home);
        QProcessEnvironment environment = withoutDisplay();
        environment.insert(QStringLiteral("HOME"), home);
        const ProgramRun run = runProgram(
            QStringLiteral("soffice"),
            QStringList{QStringLiteral("-env:UserInstallation=file://") + home + QStringLiteral("/profile"),
                        QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                        filter, QStringLiteral("--outdir"), path(QStringLiteral("office"))}
                + documents,
            environment, 300'000);
        if (run.exitCode != 0)
            conversionError += QStringLiteral("LibreOffice (%1) failed: %2\n").arg(filter, QString::fromUtf8(run.err));
    }

    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        exportAll();
        const QStringList documents = {path(QStringLiteral("rich-summary.docx")),
                                       path(QStringLiteral("empty-summary.docx"))};
        convertWithLibreOffice(QStringLiteral("txt:Text (encoded):UTF8"), documents);
        convertWithLibreOffice(QStringLiteral("pdf"), {documents.first()});
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }

    void SetUp() override { ASSERT_TRUE(conversionError.isEmpty()) << qPrintable(conversionError); }

    static QStringList officeText(const QString& name) {
        QString text = QString::fromUtf8(readFile(path(QStringLiteral("office/") + name)));
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        QStringList lines = text.split(u'\n');
        while (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
};

TEST_F(ExportRealWorldTest, WordProcessorReadsEveryHeadingAndItemInOrder) {
    EXPECT_EQ(officeText(QStringLiteral("rich-summary.txt")), paragraphs(richSummary()));
    EXPECT_EQ(officeText(QStringLiteral("empty-summary.txt")), paragraphs({}));

    // The word processor's own PDF of the document holds the same text, non-Latin items intact.
    const QString printed = path(QStringLiteral("office/rich-summary.pdf"));
    EXPECT_EQ(collapsedText(popplerText(printed)), collapsed(paragraphs(richSummary())));
}

TEST_F(ExportRealWorldTest, PdfPagesAreUsLetterWithEmbeddedFontsAndDocumentTitle) {
    for (const char* name : {"rich-summary.pdf", "empty-summary.pdf", "long-summary.pdf"}) {
        SCOPED_TRACE(name);
        const QString pdf = path(QString::fromLatin1(name));
        EXPECT_EQ(pdfInfo(pdf, QStringLiteral("Page size")), QStringLiteral("612 x 792 pts (letter)"));
        EXPECT_EQ(pdfInfo(pdf, QStringLiteral("Title")), QStringLiteral("Meeting Summary"));
        const QList<Font> fonts = pdfFonts(pdf);
        ASSERT_FALSE(fonts.isEmpty());
        for (const Font& font : fonts) {
            EXPECT_TRUE(font.embedded) << qPrintable(font.name);
            EXPECT_TRUE(font.unicodeMap) << qPrintable(font.name);
        }
    }
    // CJK text falls back to a font that has the glyphs.
    const QList<Font> richFonts = pdfFonts(path(QStringLiteral("rich-summary.pdf")));
    EXPECT_TRUE(std::any_of(richFonts.begin(), richFonts.end(),
                            [](const Font& font) { return font.name.contains(QLatin1String("CJK")); }));
}

TEST_F(ExportRealWorldTest, PdfTextIsExtractableInExactlyTheSummarysOrder) {
    const QString empty = path(QStringLiteral("empty-summary.pdf"));
    EXPECT_EQ(pdfInfo(empty, QStringLiteral("Pages")), QStringLiteral("1"));
    EXPECT_EQ(collapsedText(popplerText(empty)), collapsed(paragraphs({})));

    const QString rich = path(QStringLiteral("rich-summary.pdf"));
    EXPECT_EQ(pdfInfo(rich, QStringLiteral("Pages")), QStringLiteral("1"));
    EXPECT_EQ(collapsedText(popplerText(rich)), collapsed(paragraphs(richSummary())));
}

TEST_F(ExportRealWorldTest, LongSummaryIsWrittenOnEveryPageItNeeds) {
    const QString pdf = path(QStringLiteral("long-summary.pdf"));
    const int pages = pdfInfo(pdf, QStringLiteral("Pages")).toInt();
    EXPECT_GT(pages, 20); // more than a fixed limit of text areas would hold
    EXPECT_EQ(collapsedText(popplerText(pdf)), collapsed(paragraphs(longSummary())));
    EXPECT_TRUE(popplerText(pdf, pages).contains(QStringLiteral("Attendee 230")));
    EXPECT_FALSE(popplerText(pdf, pages - 1).contains(QStringLiteral("Attendee 230")));
}

TEST_F(ExportRealWorldTest, CommandWritesBesideTheSummaryOrWhereToldAndPrintsThePath) {
    const QString summary = path(QStringLiteral("rich-summary.md"));
    EXPECT_EQ(ExportFormats::defaultDestination(summary, ExportFormat::docx), path(QStringLiteral("rich-summary.docx")));
    EXPECT_EQ(ExportFormats::defaultDestination(QStringLiteral("/o/a.b.md"), ExportFormat::pdf), QStringLiteral("/o/a.b.pdf"));
    EXPECT_EQ(ExportFormats::defaultDestination(QStringLiteral("/o/summary"), ExportFormat::pdf), QStringLiteral("/o/summary.pdf"));
    EXPECT_EQ(ExportFormats::defaultDestination(QStringLiteral("/o/.md"), ExportFormat::pdf), QStringLiteral("/o/.md.pdf"));

    const QString target = path(QStringLiteral("elsewhere.docx"));
    const ProgramRun run = velmoraExport({summary, QStringLiteral("--format"), QStringLiteral("docx"),
                                          QStringLiteral("--output"), target});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(QString::fromUtf8(run.out), target + u'\n');
    EXPECT_EQ(fileMode(target), 0600);
    EXPECT_TRUE(unzip(readFile(target)));
}

TEST_F(ExportRealWorldTest, CommandRefusesBadCallsClearlyAndWritesNothing) {
    const QString summary = path(QStringLiteral("empty-summary.md"));
    const QString missing = path(QStringLiteral("missing-summary.md"));
    const QString target = path(QStringLiteral("refused.pdf"));
    struct Case {
        QStringList arguments;
        QString message;
    };
    const QList<Case> cases = {
        {{missing, QStringLiteral("--format"), QStringLiteral("pdf"), QStringLiteral("--output"), target}, missing},
        {{summary, QStringLiteral("--format"), QStringLiteral("odt"), QStringLiteral("--output"), target},
         QStringLiteral("unknown format \"odt\"")},
        {{summary, QStringLiteral("--output"), target}, QStringLiteral("--format")},
        {{QStringLiteral("--format"), QStringLiteral("pdf"), QStringLiteral("--output"), target},
         QStringLiteral("one summary file")},
        {{summary, QStringLiteral("--format"), QStringLiteral("pdf"), QStringLiteral("--output"),
          path(QStringLiteral("no/such/dir/x.pdf"))},
         path(QStringLiteral("no/such/dir/x.pdf"))},
        {{summary, QStringLiteral("--format"), QStringLiteral("docx"), QStringLiteral("--output"), summary},
         QStringLiteral("summary being exported")},
    };
    for (const Case& call : cases) {
        SCOPED_TRACE(qPrintable(call.arguments.join(u' ')));
        const ProgramRun run = velmoraExport(call.arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(QString::fromUtf8(run.err).contains(call.message)) << run.err.constData();
    }
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(readFile(summary), SummaryMarkdownParser::render({}).toUtf8());
}

} // namespace
