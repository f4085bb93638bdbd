#include "summary/DOCXExporter.h"

#include "summary/ExportTestSupport.h"
#include "capture/FileError.h"
#include "summary/ExportError.h"
#include "summary/SummaryMarkdownParser.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing;

namespace {

const QByteArray expectedContentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">\n"
    "  <Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>\n"
    "  <Default Extension=\"xml\" ContentType=\"application/xml\"/>\n"
    "  <Override PartName=\"/word/document.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>\n"
    "</Types>";

const QByteArray expectedPackageRelationships =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">\n"
    "  <Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"word/document.xml\"/>\n"
    "</Relationships>";

const QByteArray expectedDocumentRelationships =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">\n"
    "</Relationships>";

QByteArray paragraph(const QByteArray& text, int size, bool bold, int after) {
    return "<w:p>\n  <w:pPr><w:spacing w:after=\"" + QByteArray::number(after) + "\"/></w:pPr>\n  <w:r><w:rPr><w:sz w:val=\""
        + QByteArray::number(size) + "\"/><w:szCs w:val=\"" + QByteArray::number(size) + "\"/>"
        + (bold ? "<w:b/><w:bCs/>" : "") + "</w:rPr><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>\n</w:p>";
}

const QByteArray expectedEmptyDocument =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<w:document xmlns:wpc=\"http://schemas.microsoft.com/office/word/2010/wordprocessingCanvas\"\n"
    "            xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"\n"
    "            xmlns:o=\"urn:schemas-microsoft-com:office:office\"\n"
    "            xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"\n"
    "            xmlns:m=\"http://schemas.openxmlformats.org/officeDocument/2006/math\"\n"
    "            xmlns:v=\"urn:schemas-microsoft-com:vml\"\n"
    "            xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\"\n"
    "            xmlns:w10=\"urn:schemas-microsoft-com:office:word\"\n"
    "            xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"\n"
    "            xmlns:wne=\"http://schemas.microsoft.com/office/word/2006/wordml\"\n"
    "            mc:Ignorable=\"w14 wp14\">\n"
    "  <w:body>\n"
    + paragraph("Meeting Summary", 36, true, 240) + paragraph("Topics", 28, true, 120)
    + paragraph("(none)", 22, false, 80) + paragraph("Action Items", 28, true, 120) + paragraph("(none)", 22, false, 80)
    + paragraph("Decisions", 28, true, 120) + paragraph("(none)", 22, false, 80) + paragraph("Attendees", 28, true, 120)
    + paragraph("(none)", 22, false, 80) + "\n  </w:body>\n</w:document>";

class DOCXExporterTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    DOCXExporter exporter;

    QString path(const QString& name) const { return dir.filePath(name); }
    QString summaryFile(const MeetingSummary& summary) const {
        const QString file = path(QStringLiteral("meeting-summary.md"));
        writeFile(file, SummaryMarkdownParser::render(summary).toUtf8());
        return file;
    }
};

TEST_F(DOCXExporterTest, PackageHoldsExactlyTheFourPartsInTheirFormat) {
    MeetingSummary summary;
    summary.topics = {QStringLiteral("Budget")};
    summary.attendees = {QStringLiteral("Анна"), QStringLiteral("李雷")};
    const auto files = unzip(DOCXExporter::buildDOCX(summary));
    ASSERT_TRUE(files);
    EXPECT_EQ(files->keys(), QStringList({QStringLiteral("[Content_Types].xml"), QStringLiteral("_rels/.rels"),
                                          QStringLiteral("word/_rels/document.xml.rels"),
                                          QStringLiteral("word/document.xml")}));
    EXPECT_EQ(files->value(QStringLiteral("[Content_Types].xml")), expectedContentTypes);
    EXPECT_EQ(files->value(QStringLiteral("_rels/.rels")), expectedPackageRelationships);
    EXPECT_EQ(files->value(QStringLiteral("word/_rels/document.xml.rels")), expectedDocumentRelationships);

    QByteArray expectedBody = paragraph("Meeting Summary", 36, true, 240) + paragraph("Topics", 28, true, 120)
        + paragraph("  \u2022 Budget", 22, false, 80) + paragraph("Action Items", 28, true, 120)
        + paragraph("(none)", 22, false, 80) + paragraph("Decisions", 28, true, 120) + paragraph("(none)", 22, false, 80)
        + paragraph("Attendees", 28, true, 120) + paragraph("  \u2022 Анна", 22, false, 80)
        + paragraph("  \u2022 李雷", 22, false, 80);
    const QByteArray document = files->value(QStringLiteral("word/document.xml"));
    EXPECT_TRUE(document.contains(expectedBody + "\n  </w:body>\n</w:document>")) << document.constData();
}

TEST_F(DOCXExporterTest, EmptySummaryHasTitleFourHeadingsAndFourNones) {
    const auto files = unzip(DOCXExporter::buildDOCX({}));
    ASSERT_TRUE(files);
    EXPECT_EQ(files->value(QStringLiteral("word/document.xml")), expectedEmptyDocument);
}

TEST_F(DOCXExporterTest, ItemTextIsEscapedAndAlwaysWellFormed) {
    MeetingSummary summary;
    summary.topics = {QStringLiteral("Q&A <draft> \"final\" it's"), QStringLiteral("Tom &amp; Jerry")};
    summary.decisions = {QStringLiteral("bell\u0007 form\u000c feed \uffff end\ttab")};
    const QByteArray document = DOCXExporter::documentXML(summary);
    EXPECT_TRUE(document.contains(">  \u2022 Q&amp;A &lt;draft&gt; &quot;final&quot; it&apos;s</w:t>"));
    EXPECT_TRUE(document.contains(">  \u2022 Tom &amp;amp; Jerry</w:t>"));
    EXPECT_TRUE(document.contains(">  \u2022 bell\ufffd form\ufffd feed \ufffd end\ttab</w:t>"));

    QXmlStreamReader xml(document);
    QStringList texts;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("t"))
            texts << xml.readElementText();
    }
    ASSERT_FALSE(xml.hasError()) << qPrintable(xml.errorString());
    EXPECT_EQ(texts.mid(2, 2), QStringList({QStringLiteral("  \u2022 Q&A <draft> \"final\" it's"),
                                            QStringLiteral("  \u2022 Tom &amp; Jerry")}));
}

TEST_F(DOCXExporterTest, ExportWritesAPrivateDocumentAndReplacesAnOldOne) {
    MeetingSummary summary;
    summary.actionItems = {QStringLiteral("Send the deck")};
    const QString target = path(QStringLiteral("meeting-summary.docx"));
    ASSERT_FALSE(runExport(exporter.exportDOCX(summaryFile(summary), target)));
    EXPECT_EQ(fileMode(target), 0600);
    const auto files = unzip(readFile(target));
    ASSERT_TRUE(files);
    EXPECT_TRUE(files->value(QStringLiteral("word/document.xml")).contains("Send the deck"));

    writeFile(target, "old document");
    ASSERT_FALSE(runExport(exporter.exportDOCX(summaryFile({}), target)));
    ASSERT_TRUE(unzip(readFile(target)));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("meeting-summary.docx"), QStringLiteral("meeting-summary.md")}));
}

TEST_F(DOCXExporterTest, FailedExportLeavesTheDestinationAsItWas) {
    const QString target = path(QStringLiteral("kept.docx"));
    writeFile(target, "previous export");

    const auto unreadable = exportError<FileError>(exporter.exportDOCX(path(QStringLiteral("missing.md")), target));
    ASSERT_TRUE(unreadable);
    EXPECT_TRUE(unreadable->message().contains(QStringLiteral("missing.md")));
    EXPECT_FALSE(exportError<FileError>(exporter.exportDOCX(dir.path(), target)) == std::nullopt);
    EXPECT_EQ(readFile(target), "previous export");

    const QString summary = summaryFile({});
    EXPECT_TRUE(exportError<FileError>(exporter.exportDOCX(summary, path(QStringLiteral("no/such/dir/x.docx")))));
    EXPECT_TRUE(exportError<FileError>(exporter.exportDOCX(summary, dir.path())));
    // Exporting onto the summary itself would destroy it.
    EXPECT_TRUE(exportError<FileError>(exporter.exportDOCX(summary, summary)));
    EXPECT_EQ(readFile(summary), SummaryMarkdownParser::render({}).toUtf8());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({QStringLiteral("kept.docx"), QStringLiteral("meeting-summary.md")}));
}

TEST_F(DOCXExporterTest, PdfIsNotThisExportersFormat) {
    const QString target = path(QStringLiteral("x.pdf"));
    const auto error = exportError<ExportError>(exporter.exportPDF(summaryFile({}), target));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), ExportError::Kind::unsupportedFormat);
    EXPECT_EQ(error->message(), QStringLiteral("DOCXExporter does not support PDF export"));
    EXPECT_FALSE(QFileInfo::exists(target));
}

} // namespace
