#pragma once
// The cells of a query's result as the client keeps them: each cell's text in UTF-8, one after the
// other in a single buffer, and where each one ends. No object per row or per cell, so a result of
// 100,000 rows costs little more than its text. A NULL is kept apart from an empty text.
#include "host_export.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringEncoder>

class QVariant;

class HOST_EXPORT QueryRows {
public:
    explicit QueryRows(int columnCount = 0);

    int columnCount() const { return m_columnCount; }
    int rowCount() const { return m_columnCount ? int(m_ends.size() / m_columnCount) : 0; }

    // Appends a cell to the row being filled; a new row starts after columnCount cells. A value
    // that is not text is kept as its text. Throws EHostError when the texts outgrow the buffer.
    void append(const QVariant& value);
    // Gives back the room reserved for growth once the last row is in.
    void squeeze();

    bool isNull(int row, int column) const { return m_ends[cell(row, column)] & NullMark; }
    // The cell's text; NULL gives an empty text.
    QString text(int row, int column) const { return QString::fromUtf8(utf8(row, column)); }
    QByteArrayView utf8(int row, int column) const {
        const qsizetype i = cell(row, column);
        const quint32 begin = i ? m_ends[i - 1] & ~NullMark : 0;
        return QByteArrayView(m_text.constData() + begin, qsizetype((m_ends[i] & ~NullMark) - begin));
    }

private:
    static constexpr quint32 NullMark = 0x80000000u;
    qsizetype cell(int row, int column) const { return qsizetype(row) * m_columnCount + column; }

    int m_columnCount;
    QByteArray m_text;
    QList<quint32> m_ends; // per cell, row after row: the end of its text, NullMark for a NULL
    QStringEncoder m_encoder{QStringEncoder::Utf8};
};
