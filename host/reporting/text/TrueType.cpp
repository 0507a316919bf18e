#include "reporting/text/TrueType.h"

#include <algorithm>
#include <string_view>

namespace TrueType {
namespace {

quint32 tagOf(const char* t) {
    return quint32(uchar(t[0])) << 24 | quint32(uchar(t[1])) << 16 | quint32(uchar(t[2])) << 8 | uchar(t[3]);
}
quint16 u16(const QByteArray& d, qsizetype at) {
    if (at < 0 || at + 2 > d.size())
        return 0;
    return quint16(uchar(d[at]) << 8 | uchar(d[at + 1]));
}
qint16 i16(const QByteArray& d, qsizetype at) {
    return qint16(u16(d, at));
}
quint32 u32(const QByteArray& d, qsizetype at) {
    return quint32(u16(d, at)) << 16 | u16(d, at + 2);
}
void put16(QByteArray& d, qsizetype at, quint16 v) {
    d[at] = char(v >> 8);
    d[at + 1] = char(v);
}
void put32(QByteArray& d, qsizetype at, quint32 v) {
    put16(d, at, quint16(v >> 16));
    put16(d, at + 2, quint16(v));
}
void append32(QByteArray& d, quint32 v) {
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    d.append(b, 4);
}
quint32 checksum(const QByteArray& d) {
    quint32 sum = 0;
    for (qsizetype i = 0; i < d.size(); i += 4) {
        quint32 word = 0;
        for (int k = 0; k < 4; ++k)
            word = word << 8 | (i + k < d.size() ? uchar(d[i + k]) : 0u);
        sum += word;
    }
    return sum;
}

} // namespace

Font::Font(const QByteArray& data) : m_data(data) {
    const quint32 version = u32(data, 0);
    if (version != 0x00010000 && version != tagOf("true"))
        return;
    const int count = u16(data, 4);
    for (int i = 0; i < count; ++i) {
        const qsizetype at = 12 + 16 * qsizetype(i);
        const Table t{u32(data, at), u32(data, at + 8), u32(data, at + 12)};
        if (qsizetype(t.offset) + qsizetype(t.length) > data.size())
            return;
        m_tables.push_back(t);
    }
    const Table* head = table("head");
    const Table* maxp = table("maxp");
    if (!head || !maxp || !table("loca") || !table("glyf") || !table("hmtx") || !table("hhea"))
        return;
    m_unitsPerEm = u16(data, head->offset + 18);
    m_bbox = {i16(data, head->offset + 36), i16(data, head->offset + 38), i16(data, head->offset + 40),
              i16(data, head->offset + 42)};
    m_locaFormat = i16(data, head->offset + 50);
    m_glyphCount = u16(data, maxp->offset + 4);
    m_valid = m_unitsPerEm > 0 && m_glyphCount > 0;
}

const Font::Table* Font::table(const char* tag) const {
    const quint32 t = tagOf(tag);
    for (const Table& table : m_tables)
        if (table.tag == t)
            return &table;
    return nullptr;
}

QByteArray Font::postscriptName() const {
    const Table* name = table("name");
    if (!name)
        return {};
    const qsizetype base = name->offset;
    const int count = u16(m_data, base + 2);
    const qsizetype strings = base + u16(m_data, base + 4);
    for (int i = 0; i < count; ++i) {
        const qsizetype r = base + 6 + 12 * qsizetype(i);
        if (u16(m_data, r + 6) != 6)
            continue;
        const int platform = u16(m_data, r);
        const qsizetype at = strings + u16(m_data, r + 10);
        const int length = u16(m_data, r + 8);
        QByteArray out;
        if (platform == 3 || platform == 0) {
            for (int k = 0; k + 1 < length; k += 2)
                out.append(char(u16(m_data, at + k)));
        } else if (platform == 1) {
            out = m_data.mid(at, length);
        }
        if (!out.isEmpty())
            return out;
    }
    return {};
}

QByteArray Font::subset(const std::vector<bool>& usedGlyphs) const {
    if (!m_valid)
        return {};
    const Table* loca = table("loca");
    const Table* glyf = table("glyf");
    auto glyphRange = [&](int g) -> std::pair<quint32, quint32> {
        quint32 from, to;
        if (m_locaFormat == 0) {
            from = 2u * u16(m_data, loca->offset + 2 * g);
            to = 2u * u16(m_data, loca->offset + 2 * (g + 1));
        } else {
            from = u32(m_data, loca->offset + 4 * g);
            to = u32(m_data, loca->offset + 4 * (g + 1));
        }
        if (to < from || to > glyf->length)
            return {0, 0};
        return {from, to};
    };

    // Composite glyphs (accented letters often are) draw other glyphs: keep those too.
    std::vector<bool> keep(size_t(m_glyphCount), false);
    std::vector<int> work;
    for (int g = 0; g < m_glyphCount; ++g)
        if (g == 0 || (size_t(g) < usedGlyphs.size() && usedGlyphs[size_t(g)]))
            work.push_back(g);
    while (!work.empty()) {
        const int g = work.back();
        work.pop_back();
        if (keep[size_t(g)])
            continue;
        keep[size_t(g)] = true;
        const auto [from, to] = glyphRange(g);
        if (to - from < 10 || i16(m_data, glyf->offset + from) >= 0)
            continue;
        qsizetype at = glyf->offset + from + 10;
        const qsizetype end = glyf->offset + to;
        for (;;) {
            if (at + 4 > end)
                break;
            const quint16 flags = u16(m_data, at);
            const int component = u16(m_data, at + 2);
            if (component < m_glyphCount && !keep[size_t(component)])
                work.push_back(component);
            at += 4 + ((flags & 0x0001) ? 4 : 2);
            if (flags & 0x0008)
                at += 2;
            else if (flags & 0x0040)
                at += 4;
            else if (flags & 0x0080)
                at += 8;
            if (!(flags & 0x0020))
                break;
        }
    }

    QByteArray newGlyf, newLoca;
    newLoca.reserve(4 * (m_glyphCount + 1));
    for (int g = 0; g < m_glyphCount; ++g) {
        append32(newLoca, quint32(newGlyf.size()));
        if (!keep[size_t(g)])
            continue;
        const auto [from, to] = glyphRange(g);
        newGlyf.append(m_data.constData() + glyf->offset + from, to - from);
        while (newGlyf.size() % 4)
            newGlyf.append('\0');
    }
    append32(newLoca, quint32(newGlyf.size()));

    // What a PDF reader needs of a TrueType font it draws by glyph index; sorted by tag, as the
    // table directory must be.
    static const char* const kept[] = {"OS/2", "cmap", "cvt ", "fpgm", "glyf", "head",
                                       "hhea", "hmtx", "loca", "maxp", "name", "prep"};
    struct Out {
        quint32 tag;
        QByteArray data;
    };
    std::vector<Out> tables;
    for (const char* tag : kept) {
        if (std::string_view(tag) == "glyf") {
            tables.push_back({tagOf(tag), newGlyf});
        } else if (std::string_view(tag) == "loca") {
            tables.push_back({tagOf(tag), newLoca});
        } else if (const Table* t = table(tag)) {
            QByteArray data = m_data.mid(t->offset, t->length);
            if (std::string_view(tag) == "head") {
                put32(data, 8, 0);  // checkSumAdjustment, set below
                put16(data, 50, 1); // long loca offsets
            }
            tables.push_back({tagOf(tag), data});
        }
    }
    std::sort(tables.begin(), tables.end(), [](const Out& a, const Out& b) { return a.tag < b.tag; });

    const int n = int(tables.size());
    int power = 1, log2 = 0;
    while (power * 2 <= n) {
        power *= 2;
        ++log2;
    }
    QByteArray out;
    append32(out, 0x00010000);
    out.append(char(n >> 8)).append(char(n));
    out.append(char((power * 16) >> 8)).append(char(power * 16));
    out.append(char(log2 >> 8)).append(char(log2));
    out.append(char((n * 16 - power * 16) >> 8)).append(char(n * 16 - power * 16));
    quint32 offset = quint32(12 + 16 * n);
    qsizetype headOffset = -1;
    for (const Out& t : tables) {
        append32(out, t.tag);
        append32(out, checksum(t.data));
        append32(out, offset);
        append32(out, quint32(t.data.size()));
        offset += quint32((t.data.size() + 3) & ~3);
    }
    for (const Out& t : tables) {
        if (t.tag == tagOf("head"))
            headOffset = out.size();
        out.append(t.data);
        while (out.size() % 4)
            out.append('\0');
    }
    if (headOffset >= 0)
        put32(out, headOffset + 8, 0xB1B0AFBAu - checksum(out));
    return out;
}

} // namespace TrueType
