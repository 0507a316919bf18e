#pragma once
// Text widths of the report fonts. Text the report font draws as it stands (Latin, Portuguese: the
// common case) is measured from its own advance tables, one lookup and one add per code unit; the
// PDF writer draws with the same tables (its /W array is made from them), so a cell measured here
// takes exactly this width on the page. No kerning on either path.
//
// Any other text (a character the font lacks, a combining mark, right-to-left script, a control
// character) is shaped with HarfBuzz: reordered for display (ICU's bidi), each character drawn
// from the first font of fontFamilies() that has it, and measured with that font's advances. The
// preview asks Qt for the same family list, so both show the same glyphs. A character that no font
// has takes the report font's missing-glyph box.
//
// Sizes and widths share one unit, whatever it is: width("abc", 80) is in the unit of 80 (the report
// uses tenths of a point for both).
#include "host_export.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <memory>
#include <vector>

class HOST_EXPORT TextMeasurer {
public:
    enum Font : int { Regular = 0, Bold = 1 };
    static constexpr int kFontCount = 2; // the report fonts; fallback fonts are numbered after them
    // glyph() of a code unit that the tables do not draw: the text goes through shape().
    static constexpr quint16 kComplex = 0xFFFF;

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

    // One glyph of shaped text, in drawing order (left to right).
    struct Glyph {
        int font = 0;        // Regular, Bold or a fallback font: font(id)
        quint32 index = 0;   // in that font
        double x = 0, y = 0; // from the text's origin, thousandths of an em, y upwards
        QString text;        // the characters it stands for; empty for the other glyphs of a cluster
    };
    struct Shaped {
        std::vector<Glyph> glyphs;
        double width = 0; // thousandths of an em
        // As extractors read it: in drawing order (a right-to-left run's characters reversed; they
        // turn it back), controls as spaces, characters no font has as U+FFFD.
        QString text;
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

    // The font families text is drawn from, in the order a character is looked for: the report
    // font, then the fallbacks (Arabic, Hebrew, a wide Latin/Greek/Cyrillic/symbols face, CJK,
    // emoji and symbols).
    static QStringList fontFamilies();

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

    // Glyph of a code unit, or kComplex when text with it must be shaped, and its advance in
    // thousandths of an em (NaN for kComplex).
    quint16 glyph(char16_t c, Font font) const { return m_glyph[font][c]; }
    float advance(char16_t c, Font font) const { return m_advance[font][c]; }
    // Whether the tables draw text as it stands.
    bool isSimple(QStringView text, Font font) const;
    // text (in cellText() form, as the writer hands it) shaped for drawing.
    Shaped shape(QStringView text, Font font) const;
    // A report font or a fallback font that shape() returned glyphs of.
    const FontInfo& font(int id) const;

private:
    struct Shaper;
    struct Advances;
    static constexpr int kBmp = 0x10000;
    Shaper& shaper() const;
    // Per code unit advances of text that is not simple, the whole cluster's on its first unit.
    Advances advances(QStringView text, Font font) const;
    Shaped shapeText(QStringView text, Font font, Advances* advances) const;

    std::array<FontInfo, kFontCount> m_fonts;
    // Flat per code unit tables of the BMP: 128 KiB of glyphs and 256 KiB of advances per font.
    std::array<std::unique_ptr<quint16[]>, kFontCount> m_glyph;
    std::array<std::unique_ptr<float[]>, kFontCount> m_advance;
    std::unique_ptr<Shaper> m_shaper; // loads the fallback fonts on first use, from any thread
};
