#pragma once

#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace velmora::e2e {

inline QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The utterances of a Markdown transcript as "speaker: text", continuation paragraphs included.
inline QStringList utterances(const QString& transcript) {
    const qsizetype body = transcript.indexOf(QStringLiteral("\n---\n\n"));
    if (body < 0)
        return {QStringLiteral("<no header>")};
    static const QRegularExpression heading(QStringLiteral("^\\*\\*\\[\\d\\d:\\d\\d:\\d\\d\\] (.+):\\*\\*$"));
    QStringList result;
    QString speaker;
    for (const QString& paragraph : transcript.mid(body + 6).split(QStringLiteral("\n\n"), Qt::SkipEmptyParts)) {
        if (const auto match = heading.match(paragraph); match.hasMatch())
            speaker = match.captured(1);
        else
            result.append(speaker + QStringLiteral(": ") + paragraph.trimmed());
    }
    return result;
}

} // namespace velmora::e2e
