#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

// What another process uses, read from /proc: for the benchmarks that run velmora itself.
namespace velmora::bench {

// User plus system time of `pid`, in clock ticks; -1 when it cannot be read.
inline long long cpuTicks(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = file.readAll();
    // Fields after the command name, which may hold blanks: utime is field 14, stime 15.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

// Resident memory of `pid` in MB; -1 when it cannot be read.
inline double rssMB(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

} // namespace velmora::bench
