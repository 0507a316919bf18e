#include "reporting/ReportRowStore.h"

#include "core/Errors.h"
#include "core/WriteFailure.h"

#include <QDir>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>

namespace {

constexpr int kBlockBytes = 64 * 1024;
constexpr size_t kKeptBlocks = 6; // a page's rows lie in one or two; the exports read on in order

void putSize(QByteArray& out, quint32 n) {
    while (n >= 0x80) {
        out.append(char(0x80 | (n & 0x7f)));
        n >>= 7;
    }
    out.append(char(n));
}

quint32 takeSize(const char*& p) {
    quint32 n = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = quint8(*p++);
        n |= quint32(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return n;
    }
}

void putText(QByteArray& out, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    putSize(out, quint32(utf8.size()));
    out.append(utf8);
}

QString takeText(const char*& p) {
    const quint32 n = takeSize(p);
    const QString text = QString::fromUtf8(p, qsizetype(n));
    p += n;
    return text;
}

// A row: its number of cells, the cells, the group key and title; each text its UTF-8 size first.
const char* skipRow(const char* p) {
    const quint32 texts = takeSize(p) + 2;
    for (quint32 i = 0; i < texts; ++i)
        p += takeSize(p);
    return p;
}

const char* decodeRow(const char* p, ReportRowStore::Row& row) {
    const quint32 cells = takeSize(p);
    row.cells.clear();
    row.cells.reserve(qsizetype(cells));
    for (quint32 i = 0; i < cells; ++i)
        row.cells << takeText(p);
    row.groupKey = takeText(p);
    row.groupTitle = takeText(p);
    return p;
}

QString fileName(const QTemporaryFile& file) {
    return QDir::toNativeSeparators(file.fileName());
}

} // namespace

void ReportRowStore::Encoded::add(const QStringList& cells, const QString& groupKey,
                                  const QString& groupTitle) {
    putSize(bytes, quint32(cells.size()));
    for (const QString& cell : cells)
        putText(bytes, cell);
    putText(bytes, groupKey);
    putText(bytes, groupTitle);
    ++rows;
}

ReportRowStore::ReportRowStore() = default;
ReportRowStore::~ReportRowStore() = default;

void ReportRowStore::append(const QStringList& cells, const QString& groupKey, const QString& groupTitle) {
    Encoded one;
    one.add(cells, groupKey, groupTitle);
    append(one);
}

void ReportRowStore::append(const Encoded& rows) {
    const char* p = rows.bytes.constData();
    for (int i = 0; i < rows.rows; ++i) {
        const char* end = skipRow(p);
        appendEncoded(p, int(end - p));
        p = end;
    }
}

void ReportRowStore::appendEncoded(const char* row, int size) {
    m_tail.append(row, size);
    ++m_count;
    if (m_tail.size() >= kBlockBytes)
        flush();
}

void ReportRowStore::flush() {
    QMutexLocker lock(&m_mutex);
    if (!m_file) {
        m_file = std::make_unique<QTemporaryFile>(
            QDir::temp().filePath(QStringLiteral("erp-host-relatorio-XXXXXX")));
        if (!m_file->open())
            throw EHostError(
                QStringLiteral("Não foi possível criar o arquivo temporário das linhas do relatório "
                               "em '%1': %2.")
                    .arg(QDir::toNativeSeparators(QDir::tempPath()), m_file->errorString()));
    }
    Block b;
    b.offset = m_file->size();
    b.bytes = int(m_tail.size());
    b.firstRow = m_tailFirstRow;
    errno = 0;
    if (!m_file->seek(b.offset) || m_file->write(m_tail) != m_tail.size() || !m_file->flush()) {
        const int errnum = errno;
        throw EHostError(
            QStringLiteral("Não foi possível gravar as linhas do relatório no arquivo temporário '%1': %2.")
                .arg(fileName(*m_file),
                     writeFailureReason(m_file->fileName(), m_file->errorString(), errnum)));
    }
    m_blocks.push_back(b);
    m_tailFirstRow = m_count;
    m_tail.clear();
    m_tail.squeeze();
}

std::shared_ptr<const QByteArray> ReportRowStore::block(size_t index) const {
    QMutexLocker lock(&m_mutex);
    for (const auto& [i, bytes] : m_kept)
        if (i == index)
            return bytes;
    const Block& b = m_blocks[index];
    auto bytes = std::make_shared<QByteArray>();
    if (m_file->seek(b.offset))
        *bytes = m_file->read(b.bytes);
    if (bytes->size() != b.bytes)
        throw EHostError(
            QStringLiteral("Não foi possível ler as linhas do relatório do arquivo temporário '%1': %2.")
                .arg(fileName(*m_file), m_file->errorString()));
    if (m_kept.size() >= kKeptBlocks)
        m_kept.erase(m_kept.begin());
    m_kept.emplace_back(index, bytes);
    return bytes;
}

void ReportRowStore::read(int from, const std::function<bool(int, const Row&)>& visit) const {
    if (from < 0 || from >= m_count)
        return;
    Row row;
    // The block the row is in, then the next ones, then the rows still in memory.
    auto first = std::upper_bound(m_blocks.begin(), m_blocks.end(), from,
                                  [](int r, const Block& b) { return r < b.firstRow; });
    size_t index = first == m_blocks.begin() ? 0 : size_t(first - m_blocks.begin()) - 1;
    int at = index < m_blocks.size() ? m_blocks[index].firstRow : m_tailFirstRow;
    // The rows of one block's bytes; false once visit has had enough.
    auto rowsOf = [&](const QByteArray& bytes) {
        const char* p = bytes.constData();
        const char* end = p + bytes.size();
        for (; p < end; ++at) {
            if (at < from) {
                p = skipRow(p);
                continue;
            }
            p = decodeRow(p, row);
            if (!visit(at, row))
                return false;
        }
        return true;
    };
    for (; index < m_blocks.size(); ++index)
        if (!rowsOf(*block(index)))
            return;
    at = m_tailFirstRow;
    rowsOf(QByteArray(m_tail)); // shared, not copied
}

ReportRowStore::Row ReportRowStore::row(int index) const {
    Row found;
    read(index, [&](int, const Row& row) {
        found = row;
        return false;
    });
    return found;
}
