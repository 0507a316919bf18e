#pragma once
// Just enough of a TrueType file for embedding it in a PDF: its header figures, its PostScript
// name and a subset that keeps every glyph index (the PDF maps CIDs to glyphs one to one) but drops
// the outlines of glyphs nobody drew. The measurer reads the report fonts' figures with it, the PDF
// writer subsets them.
#include <QByteArray>
#include <array>
#include <vector>

namespace TrueType {

class Font {
public:
    explicit Font(const QByteArray& data);
    bool valid() const { return m_valid; }
    int unitsPerEm() const { return m_unitsPerEm; }
    int glyphCount() const { return m_glyphCount; }
    std::array<int, 4> bbox() const { return m_bbox; }
    QByteArray postscriptName() const;
    // The font with the outlines of the glyphs not in used (nor used by them as components) left
    // empty, and the tables a PDF reader does not use (layout, kerning, hinting caches) left out.
    QByteArray subset(const std::vector<bool>& used) const;

private:
    struct Table {
        quint32 tag = 0, offset = 0, length = 0;
    };
    const Table* table(const char* tag) const;

    QByteArray m_data;
    std::vector<Table> m_tables;
    bool m_valid = false;
    int m_unitsPerEm = 0, m_glyphCount = 0, m_locaFormat = 0;
    std::array<int, 4> m_bbox{};
};

} // namespace TrueType
