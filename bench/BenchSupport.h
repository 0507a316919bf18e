#pragma once
// What every benchmark reports beside its times.
#include <QByteArray>
#include <QFile>

// The process's peak resident memory in kB (VmHWM), 0 when the kernel does not say.
inline long peakKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}
