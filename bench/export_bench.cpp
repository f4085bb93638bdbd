// Exports a 300-item summary (75 per section, mixed scripts) as DOCX and as PDF, end to end:
// read, parse, build, atomic write. Targets: DOCX within 50 ms, PDF within 500 ms.
#include "ThreadCpuTime.h"
#include "summary/DOCXExporter.h"
#include "summary/PDFExporter.h"
#include "summary/SummaryMarkdownParser.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace velmora;

namespace {

MeetingSummary threeHundredItems() {
    MeetingSummary summary;
    for (int i = 1; i <= 75; ++i) {
        summary.topics << QStringLiteral("Topic %1: the quarterly budget, hiring plan and the café «Zürich» offsite").arg(i);
        summary.actionItems << QStringLiteral("Действие %1: отправить отчёт до пятницы & проверить цифры").arg(i);
        summary.decisions << QStringLiteral("決定 %1: 来週の月曜日にリリースする").arg(i);
        summary.attendees << QStringLiteral("Attendee %1 (Ελένη)").arg(i);
    }
    return summary;
}

struct Figures {
    double medianWall, maxWall, medianCpu;
};

template<typename Export>
Figures measure(int runs, Export exportOnce) {
    QList<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        const double cpuStart = threadCpuMs();
        timer.start();
        exportOnce();
        wall << timer.nsecsElapsed() / 1e6;
        cpu << threadCpuMs() - cpuStart;
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[runs / 2], wall.last(), cpu[runs / 2]};
}

QCoro::Task<> run(QCoro::Task<> task) { co_await task; }

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("velmora.export.info=false"));
    QTemporaryDir dir;
    const QString summaryPath = dir.filePath(QStringLiteral("summary.md"));
    QFile summaryFile(summaryPath);
    if (!summaryFile.open(QIODevice::WriteOnly))
        return 1;
    summaryFile.write(SummaryMarkdownParser::render(threeHundredItems()).toUtf8());
    summaryFile.close();

    DOCXExporter docx;
    PDFExporter pdf;
    const QString docxPath = dir.filePath(QStringLiteral("summary.docx"));
    const QString pdfPath = dir.filePath(QStringLiteral("summary.pdf"));
    // The first PDF loads the fonts; it is timed apart from the rest.
    QElapsedTimer first;
    first.start();
    QCoro::waitFor(run(pdf.exportPDF(summaryPath, pdfPath)));
    const double firstPdfMs = first.nsecsElapsed() / 1e6;

    constexpr int runs = 21;
    const Figures docxFigures = measure(runs, [&] { QCoro::waitFor(run(docx.exportDOCX(summaryPath, docxPath))); });
    const Figures pdfFigures = measure(runs, [&] { QCoro::waitFor(run(pdf.exportPDF(summaryPath, pdfPath))); });

    std::printf("300-item summary, %d runs each (median / max wall, median CPU of this thread)\n", runs);
    std::printf("DOCX export: %.1f / %.1f ms wall, %.1f ms CPU (target 50 ms), %lld bytes\n", docxFigures.medianWall,
                docxFigures.maxWall, docxFigures.medianCpu, QFile(docxPath).size());
    std::printf("PDF export:  %.1f / %.1f ms wall, %.1f ms CPU (target 500 ms), %lld bytes; first export %.1f ms\n",
                pdfFigures.medianWall, pdfFigures.maxWall, pdfFigures.medianCpu, QFile(pdfPath).size(), firstPdfMs);
    return 0;
}
