#include "summary/PDFExporter.h"

#include "summary/ExportTestSupport.h"
#include "capture/FileError.h"
#include "summary/CombinedSummaryExporter.h"
#include "summary/ExportError.h"
#include "summary/PdfTextMapRepair.h"
#include "summary/SummaryMarkdownParser.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing;

namespace {

class PDFExporterTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    PDFExporter exporter;

    QString path(const QString& name) const { return dir.filePath(name); }
    QString summaryFile(const MeetingSummary& summary) const {
        const QString file = path(QStringLiteral("meeting-summary.md"));
        writeFile(file, SummaryMarkdownParser::render(summary).toUtf8());
        return file;
    }
    static QString pdfText(const QString& pdf) {
        return QString::fromUtf8(runProgram(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).out);
    }
};

TEST_F(PDFExporterTest, ExportWritesAPrivatePdfWithTheSummarysText) {
    MeetingSummary summary;
    summary.decisions = {QStringLiteral("Ship on Monday")};
    const QString target = path(QStringLiteral("meeting-summary.pdf"));
    ASSERT_FALSE(runExport(exporter.exportPDF(summaryFile(summary), target)));
    EXPECT_TRUE(readFile(target).startsWith("%PDF-"));
    EXPECT_EQ(fileMode(target), 0600);
    EXPECT_EQ(collapsedText(pdfText(target)),
              QStringLiteral("Meeting Summary Topics (none) Action Items (none) Decisions • Ship on Monday "
                             "Attendees (none)"));
}

TEST_F(PDFExporterTest, FailedExportLeavesTheDestinationAsItWas) {
    const QString target = path(QStringLiteral("kept.pdf"));
    writeFile(target, "previous export");
    EXPECT_TRUE(exportError<FileError>(exporter.exportPDF(path(QStringLiteral("missing.md")), target)));
    EXPECT_EQ(readFile(target), "previous export");

    const QString summary = summaryFile({});
    EXPECT_TRUE(exportError<FileError>(exporter.exportPDF(summary, path(QStringLiteral("no/such/dir/x.pdf")))));
    EXPECT_TRUE(exportError<FileError>(exporter.exportPDF(summary, summary)));
    EXPECT_EQ(readFile(summary), SummaryMarkdownParser::render({}).toUtf8());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({QStringLiteral("kept.pdf"), QStringLiteral("meeting-summary.md")}));
}

TEST_F(PDFExporterTest, DocumentThatCannotBeCreatedIsAnErrorNotAnEmptyFile) {
    QFile unopenable(path(QStringLiteral("no/such/dir/x.pdf")));
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    for (QIODevice* device : {static_cast<QIODevice*>(&unopenable), static_cast<QIODevice*>(&readOnly)}) {
        try {
            PDFExporter::render({}, *device);
            ADD_FAILURE() << "rendering into a device that cannot take it succeeded";
        } catch (const ExportError& error) {
            EXPECT_EQ(error.kind(), ExportError::Kind::pdfCreationFailed);
        }
    }
    EXPECT_TRUE(readOnly.data().isEmpty());
}

TEST_F(PDFExporterTest, EachExporterRefusesTheOtherFormatAndTheCombinedOneRoutesBoth) {
    const QString summary = summaryFile({});
    const auto docx = exportError<ExportError>(exporter.exportDOCX(summary, path(QStringLiteral("x.docx"))));
    ASSERT_TRUE(docx);
    EXPECT_EQ(docx->kind(), ExportError::Kind::unsupportedFormat);
    EXPECT_EQ(docx->message(), QStringLiteral("PDFExporter does not support DOCX export"));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("x.docx"))));

    CombinedSummaryExporter combined;
    ASSERT_FALSE(runExport(combined.exportPDF(summary, path(QStringLiteral("c.pdf")))));
    ASSERT_FALSE(runExport(combined.exportDOCX(summary, path(QStringLiteral("c.docx")))));
    EXPECT_TRUE(readFile(path(QStringLiteral("c.pdf"))).startsWith("%PDF-"));
    EXPECT_TRUE(unzip(readFile(path(QStringLiteral("c.docx")))));
}

TEST(PdfTextMapRepairTest, RadicalsBecomeTheirIdeographsOnlyWhereTheyNameAGlyphsText) {
    QByteArray pdf = "stream\n2 beginbfrange\n"
                     "<2F47> <2F47> [<2F47> <0041> <2F00>]\n" // glyph codes are left alone
                     "<0005> <0005> <2F42>\n"
                     "<0006> <0007> <2F47>\n" // a run of two: consecutive, not a radical's text
                     "endbfrange\n1 beginbfchar\n<0008> <2F26>\nendbfchar\nendstream\n<2F47>\n";
    const qsizetype size = pdf.size();
    PdfTextMapRepair::mapRadicalsToIdeographs(pdf);
    EXPECT_EQ(QString::fromLatin1(pdf), QLatin1String("stream\n2 beginbfrange\n"
                   "<2F47> <2F47> [<65E5> <0041> <4E00>]\n"
                   "<0005> <0005> <6587>\n"
                   "<0006> <0007> <2F47>\n"
                   "endbfrange\n1 beginbfchar\n<0008> <5B50>\nendbfchar\nendstream\n<2F47>\n"));
    EXPECT_EQ(pdf.size(), size);
}

} // namespace
