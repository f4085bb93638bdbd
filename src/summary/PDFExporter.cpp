#include "summary/PDFExporter.h"

#include "summary/Logging.h"
#include "summary/ExportError.h"
#include "summary/ExportFiles.h"
#include "summary/PdfTextMapRepair.h"
#include "summary/SummaryMarkdownParser.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFontDatabase>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace velmora {

namespace {

const QString documentTitle = QStringLiteral("Meeting Summary");
constexpr qreal pageMargin = 72; // points: one inch on every side of a US Letter page

// Sizes and spacing in points.
struct ParagraphStyle {
    qreal size;
    bool bold;
    qreal spaceBefore;
    qreal spaceAfter;
};
constexpr ParagraphStyle titleStyle{18, true, 0, 12};
constexpr ParagraphStyle headingStyle{14, true, 16, 6};
constexpr ParagraphStyle itemStyle{11, false, 2, 2};

// Builds the paragraphs in reading order. Qt collapses the space between two paragraphs to the
// larger of the two margins; the space before a paragraph therefore also carries the space after
// the one above, so the gaps add up as the styles say.
class StyledTextBuilder {
public:
    StyledTextBuilder(QTextDocument& document, qreal marginUnitsPerPoint)
        : cursor_(&document), marginUnitsPerPoint_(marginUnitsPerPoint),
          family_(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()) {}

    void add(const QString& text, ParagraphStyle style) {
        QTextBlockFormat block;
        block.setTopMargin((style.spaceBefore + previousSpaceAfter_) * marginUnitsPerPoint_);
        block.setBottomMargin(style.spaceAfter * marginUnitsPerPoint_);
        QTextCharFormat characters;
        characters.setFontFamilies({family_});
        characters.setFontPointSize(style.size);
        characters.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
        // Latin ligatures would reach a reader who copies the text as one character ("ﬁ");
        // scripts that need shaping are still shaped.
        characters.setFontStyleStrategy(QFont::PreferNoShaping);
        if (first_) {
            cursor_.setBlockFormat(block);
            cursor_.setBlockCharFormat(characters);
            first_ = false;
        } else {
            cursor_.insertBlock(block, characters);
        }
        cursor_.insertText(text, characters);
        previousSpaceAfter_ = style.spaceAfter;
    }

private:
    QTextCursor cursor_;
    qreal marginUnitsPerPoint_;
    QString family_;
    qreal previousSpaceAfter_ = 0;
    bool first_ = true;
};

// The layout counts block margins in screen pixels and scales them onto the device by the
// screen's resolution; measured here (the gap a margin opens between two lines) rather than
// assumed.
qreal marginUnitsPerPoint(QPagedPaintDevice& device) {
    auto secondLineTop = [&device](qreal topMargin) {
        QTextDocument probe;
        probe.documentLayout()->setPaintDevice(&device);
        probe.setDocumentMargin(0);
        QTextCursor cursor(&probe);
        cursor.insertText(QStringLiteral("x"));
        QTextBlockFormat format;
        format.setTopMargin(topMargin);
        cursor.insertBlock(format);
        cursor.insertText(QStringLiteral("x"));
        return probe.documentLayout()->blockBoundingRect(probe.lastBlock()).top();
    };
    constexpr qreal probeMargin = 1000;
    const qreal devicePixelsPerUnit = (secondLineTop(probeMargin) - secondLineTop(0)) / probeMargin;
    const qreal devicePixelsPerPoint = device.logicalDpiY() / 72.0;
    return devicePixelsPerUnit > 0 ? devicePixelsPerPoint / devicePixelsPerUnit : devicePixelsPerPoint;
}

QPageLayout letterWithInchMargins() {
    return QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                       QMarginsF(pageMargin, pageMargin, pageMargin, pageMargin), QPageLayout::Point);
}

// Draws the laid-out text one text area per page, each at the top left of the page's margins.
void drawPages(QTextDocument& document, QPdfWriter& writer) {
    QPainter painter;
    if (!painter.begin(&writer))
        throw ExportError::pdfCreationFailed();
    const qreal areaHeight = document.pageSize().height();
    for (int page = 0; page < document.pageCount(); ++page) {
        if (page > 0 && !writer.newPage())
            throw ExportError::pdfCreationFailed();
        const QRectF area(QPointF(0, page * areaHeight), document.pageSize());
        painter.save();
        painter.translate(0, -area.top());
        // A line moved to the next page starts exactly on this page's lower edge; a clip that
        // touches the edge would draw it here as well, hidden but still in the page's text.
        document.drawContents(&painter, area.adjusted(0, 1, 0, -1));
        painter.restore();
    }
    if (!painter.end())
        throw ExportError::pdfCreationFailed();
}

} // namespace

QCoro::Task<> PDFExporter::exportPDF(QString from, QString to) {
    QBuffer output;
    output.open(QIODevice::WriteOnly);
    render(ExportFiles::readSummary(from), output);
    ExportFiles::writeDocument(to, output.data(), from);
    qCInfo(lcExport, "Exported PDF to %s", qUtf8Printable(to));
    co_return;
}

QCoro::Task<> PDFExporter::exportDOCX(QString, QString) {
    throw ExportError::unsupportedFormat(QStringLiteral("PDFExporter does not support DOCX export"));
    co_return;
}

std::unique_ptr<QTextDocument> PDFExporter::styledText(const MeetingSummary& summary, QPagedPaintDevice& device) {
    auto document = std::make_unique<QTextDocument>();
    // Laid out against the device itself, so line breaks and page count are those of the print.
    document->documentLayout()->setPaintDevice(&device);
    document->setDocumentMargin(0);
    const qreal pixelsPerPoint = device.logicalDpiY() / 72.0;
    document->setPageSize(device.pageLayout().paintRectPoints().size() * pixelsPerPoint);

    StyledTextBuilder text(*document, marginUnitsPerPoint(device));
    text.add(documentTitle, titleStyle);
    for (const SummaryMarkdownParser::Section& section : SummaryMarkdownParser::sections()) {
        text.add(section.title, headingStyle);
        const QStringList& items = summary.*section.items;
        for (const QString& item : items)
            text.add(QStringLiteral("  \u2022 ") + item, itemStyle);
        if (items.isEmpty())
            text.add(QStringLiteral("(none)"), itemStyle);
    }
    return document;
}

void PDFExporter::render(const MeetingSummary& summary, QIODevice& output) {
    QBuffer drawn;
    drawn.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&drawn);
        writer.setTitle(documentTitle);
        writer.setCreator(QStringLiteral("Velmora"));
        if (!writer.setPageLayout(letterWithInchMargins()))
            throw ExportError::pdfCreationFailed();
        const std::unique_ptr<QTextDocument> document = styledText(summary, writer);
        drawPages(*document, writer);
    }
    QByteArray pdf = drawn.data();
    if (!pdf.startsWith("%PDF-") || !pdf.trimmed().endsWith("%%EOF"))
        throw ExportError::pdfCreationFailed();
    PdfTextMapRepair::mapRadicalsToIdeographs(pdf);

    // Never an empty or partial document reported as written.
    if ((!output.isOpen() && !output.open(QIODevice::WriteOnly)) || !output.isWritable()
        || output.write(pdf) != pdf.size())
        throw ExportError::pdfCreationFailed();
}

} // namespace velmora
