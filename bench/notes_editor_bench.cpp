// The notes editor on a long note: 5,000 lines of mixed Markdown (headings, lists, tasks,
// inline styles, fenced code). Prints the time to load and style the whole note, the cost of
// one ordinary keystroke, and of typing a fence, which restyles everything after it.
// Goal: an ordinary keystroke <= 2 ms of main-thread CPU. Usage: bench_notes_editor_bench [lines].
#include "ThreadCpuTime.h"
#include "ui/MarkdownNoteEditor.h"

#include <QApplication>
#include <QStringList>
#include <QTextBlock>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace velmora;

namespace {

QString note(int lines) {
    const QStringList shapes = {
        QStringLiteral("## Section %1"),
        QStringLiteral("- Point %1 with **bold** and *italic* words and `code_%1`"),
        QStringLiteral("- [ ] Task %1 for ~~someone~~ the team"),
        QStringLiteral("- [x] Done %1"),
        QStringLiteral("> Quote %1: keep_the_underscores_plain"),
        QStringLiteral("Plain paragraph %1 that runs on for a while, as notes taken in a meeting do."),
        QStringLiteral("1. Numbered %1"),
    };
    QStringList out;
    for (int i = 0; out.size() < lines; ++i) {
        if (i % 50 == 49)
            out << QStringLiteral("```") << QStringLiteral("make test # %1").arg(i) << QStringLiteral("```");
        else
            out << shapes[i % shapes.size()].arg(i);
    }
    return out.join(u'\n');
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_NO_GLIB", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::max(10, atoi(argv[1])) : 5000;

    MarkdownNoteEditor editor;
    editor.resize(1000, 700);
    editor.show();
    const QString text = note(lines);
    double start = threadCpuMs();
    editor.setPlainText(text);
    QApplication::processEvents();
    const double load = threadCpuMs() - start;

    // Keystrokes in the middle of the note.
    QTextCursor cursor(editor.document()->findBlockByNumber(lines / 2));
    cursor.movePosition(QTextCursor::EndOfBlock);
    std::vector<double> keys;
    for (int i = 0; i < 200; ++i) {
        start = threadCpuMs();
        cursor.insertText(QStringLiteral("x"));
        keys.push_back(threadCpuMs() - start);
    }
    // A fence typed near the top restyles the rest; removing it again too.
    QTextCursor top(editor.document()->findBlockByNumber(10));
    start = threadCpuMs();
    top.insertText(QStringLiteral("```\n"));
    const double fence = threadCpuMs() - start;

    std::printf("note of %d lines, %lld characters\n", lines, static_cast<long long>(text.size()));
    std::printf("load and style everything: %.1f ms CPU\n", load);
    std::printf("ordinary keystroke: median %.3f ms, max %.3f ms CPU (goal <= 2 ms)\n", median(keys),
                *std::max_element(keys.begin(), keys.end()));
    std::printf("typing a fence (restyles the whole note): %.1f ms CPU\n", fence);
    return 0;
}
