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
    // The block has room for the worst case; it is cut back to what the text took. Most of a
    // lookup's texts are plain ASCII (codes, numbers, most names): those are copied as they are, and
    // only what follows the first other character goes through the encoder.
    const qsizetype begin = b.text.size();
    b.text.resize(begin + room);
    char* out = b.text.data() + begin;
    const char16_t* in = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype size = text.size();
    qsizetype ascii = 0;
    for (; ascii < size && in[ascii] < 0x80; ++ascii)
        out[ascii] = char(in[ascii]);
    char* end =
        ascii == size ? out + size : m_encoder.appendToBuffer(out + ascii, QStringView(text).sliced(ascii));
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
