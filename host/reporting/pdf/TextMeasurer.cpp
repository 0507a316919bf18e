#include "reporting/pdf/TextMeasurer.h"

#include "reporting/pdf/TrueType.h"

#include <QFile>
#include <QFileInfo>
#include <QRawFont>
#include <cmath>
#include <stdexcept>

namespace {

constexpr char16_t kEllipsis = u'\u2026';
constexpr double kSlack = 1e-6; // widths are sums of floats; a text exactly as wide as the box fits

QString defaultFontDir() {
    return QStringLiteral("/usr/share/fonts/truetype/liberation");
}

bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r';
}

// Where a line may break after a character that is not a space: after a hyphen inside a word, not
// before a digit ("-5") nor before a space (the space breaks anyway).
bool breaksAfter(QStringView text, qsizetype i) {
    const char16_t c = text[i].unicode();
    if (c != u'-' && c != u'\u2013' && c != u'\u2014')
        return false;
    if (i == 0 || i + 1 >= text.size())
        return false;
    const QChar next = text[i + 1];
    return !next.isDigit() && !next.isSpace() && !text[i - 1].isSpace();
}

TextMeasurer::FontInfo loadFont(const QString& path) {
    auto fail = [&](const char* why) {
        return std::runtime_error(QStringLiteral("Não foi possível ler a fonte '%1': %2.")
                                      .arg(path, QString::fromLatin1(why))
                                      .toStdString());
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw fail("arquivo ausente ou ilegível");
    TextMeasurer::FontInfo f;
    f.path = path;
    f.data = file.readAll();
    const TrueType::Font tt(f.data);
    if (!tt.valid())
        throw fail("não é uma fonte TrueType");
    f.unitsPerEm = tt.unitsPerEm();
    f.glyphCount = tt.glyphCount();
    f.bbox = tt.bbox();
    f.postscriptName = tt.postscriptName();
    if (f.postscriptName.isEmpty())
        f.postscriptName = QFileInfo(path).completeBaseName().toLatin1();

    // Design metrics at one pixel per font unit: no hinting, no rounding.
    const QRawFont raw(f.data, f.unitsPerEm, QFont::PreferNoHinting);
    if (!raw.isValid() || f.unitsPerEm <= 0 || f.glyphCount <= 0)
        throw fail("não é uma fonte TrueType");
    const double em = raw.unitsPerEm();
    f.ascent = raw.ascent() / em;
    f.descent = raw.descent() / em;
    f.leading = raw.leading() / em;
    f.capHeight = raw.capHeight() / em;
    std::vector<quint32> glyphs(size_t(f.glyphCount));
    for (int g = 0; g < f.glyphCount; ++g)
        glyphs[size_t(g)] = quint32(g);
    std::vector<QPointF> advances(glyphs.size());
    raw.advancesForGlyphIndexes(glyphs.data(), advances.data(), f.glyphCount,
                                QRawFont::SeparateAdvances | QRawFont::UseDesignMetrics);
    f.glyphAdvance.resize(glyphs.size());
    // Rounded to the three decimals the PDF's /W array carries, so both sides add the same numbers.
    for (size_t g = 0; g < glyphs.size(); ++g)
        f.glyphAdvance[g] = float(std::round(advances[g].x() * 1000.0 * 1000.0 / em) / 1000.0);
    return f;
}

} // namespace

TextMeasurer::TextMeasurer(const QString& fontDir) {
    const QString dir = fontDir.isEmpty() ? defaultFontDir() : fontDir;
    const char* files[kFontCount] = {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf"};
    for (int i = 0; i < kFontCount; ++i) {
        FontInfo& f = m_fonts[size_t(i)];
        f = loadFont(dir + u'/' + QLatin1String(files[i]));
        const QRawFont raw(f.data, f.unitsPerEm, QFont::PreferNoHinting);
        m_glyph[size_t(i)] = std::make_unique<quint16[]>(kBmp);
        m_advance[size_t(i)] = std::make_unique<float[]>(kBmp);
        quint16* glyph = m_glyph[size_t(i)].get();
        float* advance = m_advance[size_t(i)].get();
        // Surrogates are left out: a high one next to a low one would be read as a pair and shift
        // every index after it. Alone they have no glyph.
        std::vector<QChar> chars;
        std::vector<quint32> indexes;
        for (auto [from, to] : {std::pair{0, 0xD800}, std::pair{0xE000, kBmp}}) {
            const int n = to - from;
            chars.resize(size_t(n));
            indexes.assign(size_t(n), 0);
            for (int c = 0; c < n; ++c)
                chars[size_t(c)] = QChar(char16_t(from + c));
            int count = n;
            raw.glyphIndexesForChars(chars.data(), n, indexes.data(), &count);
            for (int c = 0; c < n; ++c)
                glyph[from + c] =
                    indexes[size_t(c)] < quint32(f.glyphCount) ? quint16(indexes[size_t(c)]) : 0;
        }
        for (int c = 0xD800; c < 0xE000; ++c)
            glyph[c] = 0;
        // Control characters (a tab in a cell) draw and measure as a space.
        for (int c = 0; c < 0x20; ++c)
            glyph[c] = glyph[u' '];
        for (int c = 0; c < kBmp; ++c)
            advance[c] = f.glyphAdvance[glyph[c]];
    }
}

TextMeasurer::~TextMeasurer() = default;

const TextMeasurer& TextMeasurer::shared() {
    static const TextMeasurer instance;
    return instance;
}

double TextMeasurer::width(QStringView text, double size, Font font) const {
    const float* advance = m_advance[font].get();
    double sum = 0;
    for (QChar c : text)
        sum += advance[c.unicode()];
    return sum * size / 1000.0;
}

QString TextMeasurer::elide(QStringView text, double size, double width, Font font) const {
    if (this->width(text, size, font) <= width + kSlack)
        return text.toString();
    const float* advance = m_advance[font].get();
    const double limit = (width + kSlack) * 1000.0 / size - advance[kEllipsis];
    if (limit < 0)
        return QString();
    double sum = 0;
    qsizetype n = 0;
    while (n < text.size() && sum + advance[text[n].unicode()] <= limit)
        sum += advance[text[n++].unicode()];
    if (n > 0 && text[n - 1].isHighSurrogate())
        --n; // never half a pair
    QString out;
    out.reserve(n + 1);
    out.append(text.left(n));
    out.append(QChar(kEllipsis));
    return out;
}

std::vector<TextMeasurer::Line> TextMeasurer::wrap(QStringView text, double size, double width,
                                                   Font font) const {
    const float* advance = m_advance[font].get();
    const double limit = (width + kSlack) * 1000.0 / size; // in thousandths of an em
    const qsizetype n = text.size();
    std::vector<Line> lines;
    qsizetype lineStart = 0;
    double lineWidth = 0; // words on the line, without the spaces after the last one
    double spaces = 0;    // the spaces after the last word
    bool hasWord = false;
    auto push = [&](qsizetype end) {
        lines.push_back({int(lineStart), int(end - lineStart)});
        lineStart = end;
        lineWidth = spaces = 0;
        hasWord = false;
    };
    qsizetype pos = 0;
    while (pos < n) {
        if (text[pos] == u'\n') {
            push(pos + 1);
            ++pos;
            continue;
        }
        // One word: up to a space, a forced break or just after a hyphen.
        qsizetype end = pos;
        double word = 0;
        while (end < n && !isSpace(text[end].unicode()) && text[end] != u'\n') {
            word += advance[text[end].unicode()];
            if (breaksAfter(text, end++))
                break;
        }
        if (hasWord && lineWidth + spaces + word > limit)
            push(pos);
        if (!hasWord && word > limit) {
            // The word alone is wider than the line: as many characters a line as fit, at least one,
            // in one pass over the word (a long word without spaces stays linear).
            double sum = advance[text[pos].unicode()];
            for (qsizetype k = pos + 1; k < end; ++k) {
                const double a = advance[text[k].unicode()];
                if (sum + a <= limit || text[k].isLowSurrogate()) {
                    sum += a;
                    continue;
                }
                push(k);
                sum = a;
            }
            word = sum; // the word's last piece starts the current line
        }
        lineWidth += spaces + word;
        spaces = 0;
        hasWord = hasWord || end > pos;
        pos = end;
        while (pos < n && isSpace(text[pos].unicode()))
            spaces += advance[text[pos++].unicode()];
    }
    if (lineStart < n || lines.empty())
        lines.push_back({int(lineStart), int(n - lineStart)});
    return lines;
}
