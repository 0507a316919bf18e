#include "data/QueryRows.h"

#include <QVariant>

QueryRows::QueryRows(int columnCount) : m_columnCount(columnCount) {}

void QueryRows::append(const QVariant& value) {
    const QString text = value.isNull() ? QString() : value.toString();
    const qsizetype room = m_encoder.requiredSpace(text.size());
    if (m_blocks.empty() || m_blocks.back().text.capacity() - m_blocks.back().text.size() < room) {
        Block block;
        block.text.reserve(std::max(BlockSize, room));
        block.firstCell = m_cellCount;
        m_blocks.push_back(std::move(block));
    }
    Block& b = m_blocks.back();
    // The block has room for the worst case; it is cut back to what the text took.
    const qsizetype begin = b.text.size();
    b.text.resize(begin + room);
    char* end = m_encoder.appendToBuffer(b.text.data() + begin, text);
    b.text.resize(end - b.text.constData());
    b.ends.push_back(quint32(b.text.size()) | (value.isNull() ? NullMark : 0));
    ++m_cellCount;
}

void QueryRows::squeeze() {
    if (m_blocks.empty())
        return;
    m_blocks.back().text.squeeze();
    for (Block& b : m_blocks)
        b.ends.shrink_to_fit();
}
