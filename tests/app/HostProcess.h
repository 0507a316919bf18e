#pragma once
// Runs the real erp-host binary as a user would and collects what it printed.
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

struct HostRun {
    int exitCode = -1;
    bool crashed = false;
    bool finished = false;
    QString out;
    QString err;
    QStringList errLines() const { return err.split('\n', Qt::SkipEmptyParts); }
    // Lines "kind\t..." that the session script's describe step printed, without the kind.
    QStringList facts(const QString& kind) const {
        QStringList found;
        for (const QString& line : out.split('\n', Qt::SkipEmptyParts))
            if (line.startsWith(kind + '\t'))
                found << line.mid(kind.size() + 1);
        return found;
    }
};

inline QString hostBinary() {
    return QStringLiteral(ERP_BINARY_DIR "/bin/erp-host");
}

// The environment of a user's offscreen session whose data folder is dataHome (so that the demo
// database of a test never lands in the real home).
inline QProcessEnvironment hostEnvironment(const QString& dataHome) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    // Nor the machine's settings, nor the real user's: a test writes its own where it needs them.
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dataHome + QStringLiteral("/config"));
    env.insert(QStringLiteral("ERP_SYSTEM_CONFIG"), dataHome + QStringLiteral("/erp-host.conf"));
    env.insert(QStringLiteral("ERP_SCRIPT_DELAY"), QStringLiteral("50"));
    env.remove(QStringLiteral("ERP_SCRIPT"));
    env.remove(QStringLiteral("ERP_SCREENSHOT"));
    return env;
}

inline HostRun runProgram(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                          int timeoutMs = 120000) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    HostRun r;
    if (!p.waitForStarted(10000)) {
        r.err = p.errorString();
        return r;
    }
    p.closeWriteChannel();
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.crashed = p.exitStatus() == QProcess::CrashExit;
    r.exitCode = p.exitCode();
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

inline HostRun runHost(const QStringList& args, const QProcessEnvironment& env, int timeoutMs = 120000) {
    return runProgram(hostBinary(), args, env, timeoutMs);
}
