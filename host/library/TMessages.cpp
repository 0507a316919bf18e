#include "library/TMessages.h"

#include "core/Errors.h"

TMessages::TMessages(QObject* parent) : QObject(parent) {}

bool TMessages::HasKey(const QString& key) const {
    for (const QString& line : m_lines)
        if (line.section('|', 0, 0).compare(key, Qt::CaseInsensitive) == 0 && line.contains('|'))
            return true;
    return false;
}

QString TMessages::Msg(const QString& key) const {
    for (const QString& line : m_lines) {
        const int bar = line.indexOf('|');
        if (bar >= 0 && QStringView(line).left(bar).compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(bar + 1);
    }
    throw EHostError(QStringLiteral("Mensagem '%1' não encontrada em %2.").arg(key, objectName()));
}
