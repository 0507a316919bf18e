#pragma once
// Text widths of the report fonts from their own advance tables: one lookup and one add per code
// unit, no shaping. The PDF writer draws with the same tables (its /W array is made from them), so a
// cell measured here takes exactly this width on the page. There is no kerning and no font fallback:
// a character the font lacks takes the width of the font's missing-glyph box, as the PDF draws it.
//
// Sizes and widths share one unit, whatever it is: width("abc", 80) is in the unit of 80 (the report
// uses tenths of a point for both).
#include "host_export.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <array>
#include <memory>
#include <vector>

class HOST_EXPORT TextMeasurer {
public:
    enum Font : int { Regular = 0, Bold = 1 };
    static constexpr int kFontCount = 2;

    struct Line {
        int start = 0;  // first code unit
        int length = 0; // code units, trailing spaces included (they take no width)
        friend bool operator==(const Line&, const Line&) = default;
    };

    // What the PDF writer needs to embed a font and describe it.
    struct FontInfo {
        QString path;
        QByteArray data; // the whole TrueType file
        QByteArray postscriptName;
        int unitsPerEm = 0;
        int glyphCount = 0;
        double ascent = 0, descent = 0, leading = 0, capHeight = 0; // per em, descent positive
        std::array<int, 4> bbox{};                                  // font units
        std::vector<float> glyphAdvance; // thousandths of an em, rounded as the PDF writes them
    };

    // Loads Liberation Sans regular and bold from the system fonts folder (or from fontDir), through
    // QRawFont, so a QGuiApplication must exist. Throws std::runtime_error naming the file when a
    // font cannot be read.
    explicit TextMeasurer(const QString& fontDir = QString());
    ~TextMeasurer();
    TextMeasurer(const TextMeasurer&) = delete;
    TextMeasurer& operator=(const TextMeasurer&) = delete;

    // One instance for the process; immutable, so any thread may use it.
    static const TextMeasurer& shared();

    double width(QStringView text, double size, Font font = Regular) const;
    // The text itself when it fits, else its longest prefix that fits followed by "…"; empty when
    // not even "…" fits.
    QString elide(QStringView text, double size, double width, Font font = Regular) const;
    // Lines of at most width, broken after spaces (and after a hyphen inside a word), inside a word
    // only when the word alone is wider than the line. "\n" forces a break. Never empty.
    std::vector<Line> wrap(QStringView text, double size, double width, Font font = Regular) const;

    double ascent(double size, Font font = Regular) const { return size * m_fonts[font].ascent; }
    double descent(double size, Font font = Regular) const { return size * m_fonts[font].descent; }
    double lineSpacing(double size, Font font = Regular) const {
        const FontInfo& f = m_fonts[font];
        return size * (f.ascent + f.descent + f.leading);
    }

    // Glyph of a code unit (0 for what the font lacks, lone surrogates included) and its advance in
    // thousandths of an em.
    quint16 glyph(char16_t c, Font font) const { return m_glyph[font][c]; }
    float advance(char16_t c, Font font) const { return m_advance[font][c]; }
    const FontInfo& font(Font font) const { return m_fonts[font]; }

private:
    static constexpr int kBmp = 0x10000;
    std::array<FontInfo, kFontCount> m_fonts;
    // Flat per code unit tables of the BMP: 128 KiB of glyphs and 256 KiB of advances per font.
    std::array<std::unique_ptr<quint16[]>, kFontCount> m_glyph;
    std::array<std::unique_ptr<float[]>, kFontCount> m_advance;
};
