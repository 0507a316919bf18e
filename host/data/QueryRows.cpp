#include "data/QueryRows.h"

#include "core/Errors.h"

#include <QVariant>

QueryRows::QueryRows(int columnCount) : m_columnCount(columnCount) {}

void QueryRows::append(const QVariant& value) {
    const qsizetype begin = m_text.size();
    if (!value.isNull()) {
        const QString text = value.toString();
        // Room for the worst case, then the buffer cut back to what the text took.
        m_text.resize(begin + m_encoder.requiredSpace(text.size()));
        char* end = m_encoder.appendToBuffer(m_text.data() + begin, text);
        m_text.resize(end - m_text.constData());
    }
    if (quint64(m_text.size()) >= NullMark)
        throw EHostError(
            QStringLiteral("O resultado da consulta tem texto demais para ser lido de uma vez (mais "
                           "de 2 GB); restrinja a consulta."));
    m_ends.push_back(quint32(m_text.size()) | (value.isNull() ? NullMark : 0));
}

void QueryRows::squeeze() {
    m_text.squeeze();
    m_ends.squeeze();
}
