#include "summary/DOCXExporter.h"

#include "summary/Logging.h"
#include "summary/ExportError.h"
#include "summary/ExportFiles.h"
#include "summary/SummaryMarkdownParser.h"

#include <zip.h>

#include <memory>

namespace velmora {

namespace {

const QByteArray declaration = QByteArrayLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)");

const QByteArray contentTypes = declaration + R"(
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
  <Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
  <Default Extension="xml" ContentType="application/xml"/>
  <Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>
</Types>)";

const QByteArray packageRelationships = declaration + R"(
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
  <Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>
</Relationships>)";

const QByteArray documentRelationships = declaration + R"(
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
</Relationships>)";

const QByteArray documentHead = declaration + R"(
<w:document xmlns:wpc="http://schemas.microsoft.com/office/word/2010/wordprocessingCanvas"
            xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006"
            xmlns:o="urn:schemas-microsoft-com:office:office"
            xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"
            xmlns:m="http://schemas.openxmlformats.org/officeDocument/2006/math"
            xmlns:v="urn:schemas-microsoft-com:vml"
            xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing"
            xmlns:w10="urn:schemas-microsoft-com:office:word"
            xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"
            xmlns:wne="http://schemas.microsoft.com/office/word/2006/wordml"
            mc:Ignorable="w14 wp14">
  <w:body>
)";

const QByteArray documentTail = QByteArrayLiteral("\n  </w:body>\n</w:document>");

// Sizes in half-points, spacing after in twentieths of a point.
struct ParagraphStyle {
    int size;
    bool bold;
    int spaceAfter;
};
constexpr ParagraphStyle titleStyle{36, true, 240};
constexpr ParagraphStyle headingStyle{28, true, 120};
constexpr ParagraphStyle itemStyle{22, false, 80};

// Characters XML 1.0 cannot carry at all (most C0 controls, U+FFFE, U+FFFF) would make the
// whole document unreadable; they become U+FFFD.
QString withoutXmlForbiddenCharacters(QString text) {
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        const bool forbidden = (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0xFFFE || u == 0xFFFF;
        if (forbidden)
            c = QChar::ReplacementCharacter;
    }
    return text;
}

QString escaped(QString text) {
    text.replace(u'&', QStringLiteral("&amp;"));
    text.replace(u'<', QStringLiteral("&lt;"));
    text.replace(u'>', QStringLiteral("&gt;"));
    text.replace(u'"', QStringLiteral("&quot;"));
    text.replace(u'\'', QStringLiteral("&apos;"));
    return text;
}

QByteArray paragraph(const QString& text, ParagraphStyle style) {
    const QByteArray size = QByteArray::number(style.size);
    QByteArray runProperties = "<w:rPr><w:sz w:val=\"" + size + "\"/><w:szCs w:val=\"" + size + "\"/>";
    if (style.bold)
        runProperties += "<w:b/><w:bCs/>";
    runProperties += "</w:rPr>";
    return "<w:p>\n  <w:pPr><w:spacing w:after=\"" + QByteArray::number(style.spaceAfter) + "\"/></w:pPr>\n  <w:r>"
        + runProperties + "<w:t xml:space=\"preserve\">" + escaped(withoutXmlForbiddenCharacters(text)).toUtf8()
        + "</w:t></w:r>\n</w:p>";
}

struct ZipArchiveDeleter {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipSourceDeleter {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipArchiveDeleter>;
using ZipSource = std::unique_ptr<zip_source_t, ZipSourceDeleter>;

[[noreturn]] void throwZipError(zip_error_t* error) {
    const QString reason = QString::fromUtf8(zip_error_strerror(error));
    zip_error_fini(error);
    throw ExportError::zipCreationFailed(reason);
}

QByteArray readWholeSource(zip_source_t* source) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_open(source) < 0)
        throwZipError(zip_source_error(source));
    if (zip_source_stat(source, &stat) < 0 || !(stat.valid & ZIP_STAT_SIZE)) {
        zip_source_close(source);
        throwZipError(zip_source_error(source));
    }
    QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
    const zip_int64_t read = zip_source_read(source, bytes.data(), stat.size);
    zip_source_close(source);
    if (read != zip_int64_t(stat.size))
        throwZipError(zip_source_error(source));
    return bytes;
}

// Packs the parts into a ZIP archive held in memory (deflated, entries at the archive root).
QByteArray zipped(const QList<DOCXExporter::Part>& parts) {
    zip_error_t error;
    zip_error_init(&error);
    ZipSource archiveBytes(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!archiveBytes)
        throwZipError(&error);
    ZipArchive archive(zip_open_from_source(archiveBytes.get(), ZIP_TRUNCATE, &error));
    if (!archive)
        throwZipError(&error);
    // The archive now owns a reference to its source; ours keeps the bytes alive after closing.
    zip_source_keep(archiveBytes.get());

    for (const DOCXExporter::Part& part : parts) {
        // The part's bytes outlive the archive, so libzip may read them in place.
        ZipSource source(zip_source_buffer(archive.get(), part.bytes.constData(), zip_uint64_t(part.bytes.size()), 0));
        if (!source || zip_file_add(archive.get(), part.path.toUtf8().constData(), source.get(), ZIP_FL_ENC_UTF_8) < 0)
            throwZipError(zip_get_error(archive.get()));
        source.release(); // added: the archive frees it
    }
    if (zip_close(archive.get()) < 0)
        throwZipError(zip_get_error(archive.get()));
    archive.release(); // closed and freed by zip_close
    return readWholeSource(archiveBytes.get());
}

} // namespace

QCoro::Task<> DOCXExporter::exportPDF(QString, QString) {
    throw ExportError::unsupportedFormat(QStringLiteral("DOCXExporter does not support PDF export"));
    co_return;
}

QCoro::Task<> DOCXExporter::exportDOCX(QString from, QString to) {
    const QByteArray document = buildDOCX(ExportFiles::readSummary(from));
    ExportFiles::writeDocument(to, document, from);
    qCInfo(lcExport, "Exported DOCX to %s", qUtf8Printable(to));
    co_return;
}

QByteArray DOCXExporter::documentXML(const MeetingSummary& summary) {
    QByteArray xml = documentHead;
    xml += paragraph(QStringLiteral("Meeting Summary"), titleStyle);
    for (const SummaryMarkdownParser::Section& section : SummaryMarkdownParser::sections()) {
        xml += paragraph(section.title, headingStyle);
        const QStringList& items = summary.*section.items;
        for (const QString& item : items)
            xml += paragraph(QStringLiteral("  \u2022 ") + item, itemStyle);
        if (items.isEmpty())
            xml += paragraph(QStringLiteral("(none)"), itemStyle);
    }
    return xml + documentTail;
}

QList<DOCXExporter::Part> DOCXExporter::parts(const MeetingSummary& summary) {
    return {
        {QStringLiteral("[Content_Types].xml"), contentTypes},
        {QStringLiteral("_rels/.rels"), packageRelationships},
        {QStringLiteral("word/_rels/document.xml.rels"), documentRelationships},
        {QStringLiteral("word/document.xml"), documentXML(summary)},
    };
}

QByteArray DOCXExporter::buildDOCX(const MeetingSummary& summary) { return zipped(parts(summary)); }

} // namespace velmora
