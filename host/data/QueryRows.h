#pragma once
// The cells of a query's result as the client keeps them: each cell's text in UTF-8, one after the
// other in blocks of a fixed size, and where each one ends in its block. No object per row or per
// cell, and no buffer that doubles and is copied as it grows, so a result of 100,000 rows costs
// little more than its text. A NULL is kept apart from an empty text.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringEncoder>
#include <algorithm>
#include <vector>

class QVariant;

class QueryRows {
public:
    explicit QueryRows(int columnCount = 0);

    int columnCount() const { return m_columnCount; }
    int rowCount() const { return m_columnCount ? int(m_cellCount / m_columnCount) : 0; }

    // Appends a cell to the row being filled; a new row starts after columnCount cells. A value
    // that is not text is kept as its text.
    void append(const QVariant& value);
    // Gives back the room reserved for growth once the last row is in.
    void squeeze();

    bool isNull(int row, int column) const {
        const Block& b = blockOf(cell(row, column));
        return b.ends[size_t(cell(row, column) - b.firstCell)] & NullMark;
    }
    // The cell's text; NULL gives an empty text.
    QString text(int row, int column) const { return QString::fromUtf8(utf8(row, column)); }
    QByteArrayView utf8(int row, int column) const {
        const qsizetype i = cell(row, column);
        const Block& b = blockOf(i);
        const size_t local = size_t(i - b.firstCell);
        const quint32 begin = local ? b.ends[local - 1] & ~NullMark : 0;
        return QByteArrayView(b.text.constData() + begin, qsizetype((b.ends[local] & ~NullMark) - begin));
    }

private:
    static constexpr quint32 NullMark = 0x80000000u;
    static constexpr qsizetype BlockSize = 256 * 1024; // a longer text gets a block of its own
    struct Block {
        QByteArray text;
        std::vector<quint32> ends; // per cell: the end of its text in the block, NullMark for a NULL
        qsizetype firstCell;
    };

    qsizetype cell(int row, int column) const { return qsizetype(row) * m_columnCount + column; }
    const Block& blockOf(qsizetype cell) const {
        return *(std::upper_bound(m_blocks.begin(), m_blocks.end(), cell,
                                  [](qsizetype c, const Block& b) { return c < b.firstCell; }) -
                 1);
    }

    int m_columnCount;
    qsizetype m_cellCount = 0;
    std::vector<Block> m_blocks;
    QStringEncoder m_encoder{QStringEncoder::Utf8};
};
