#include "core/WriteFailure.h"

#include <QFileInfo>
#include <QStorageInfo>
#include <cerrno>

namespace {

// Below this the write that failed most likely met the end of the disk.
constexpr qint64 kNearlyFull = 256 * 1024;

int causeFromFileSystem(const QString& path) {
    const QStorageInfo storage(QFileInfo(path).absolutePath());
    if (!storage.isValid())
        return 0;
    if (storage.isReadOnly())
        return EROFS;
    if (storage.bytesAvailable() < kNearlyFull)
        return ENOSPC;
    return 0;
}

} // namespace

QString writeFailureReason(const QString& path, const QString& systemReason, int errnum) {
    // Only when the writer lost errno is the file system asked: an error it did keep (no such
    // folder, no permission) is what the system said, not a full disk.
    if (errnum == 0)
        errnum = causeFromFileSystem(path);
    switch (errnum) {
    case ENOSPC:
        return QStringLiteral("o disco está cheio (sem espaço livre em '%1'); nada foi gravado")
            .arg(QStorageInfo(QFileInfo(path).absolutePath()).rootPath());
    case EDQUOT:
        return QStringLiteral("a cota de disco do usuário se esgotou; nada foi gravado");
    case EROFS:
        return QStringLiteral("a pasta está num sistema de arquivos somente leitura; nada foi gravado");
    case EFBIG:
        return QStringLiteral("o arquivo passaria do tamanho máximo que o disco aceita; nada foi gravado");
    default:
        break;
    }
    const QString reason = systemReason.trimmed();
    if (reason.isEmpty() || reason == QLatin1String("Unknown error") ||
        reason == QLatin1String("Erro desconhecido") || reason == QLatin1String("Erro desconhecido."))
        return QStringLiteral("o sistema não informou a causa; nada foi gravado");
    return reason;
}
