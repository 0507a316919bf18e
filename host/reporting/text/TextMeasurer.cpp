#include "reporting/text/TextMeasurer.h"

#include "core/CellText.h"
#include "reporting/text/TrueType.h"

#include <QFile>
#include <QFileInfo>
#include <QRawFont>
#include <QTextBoundaryFinder>
#include <cmath>
#include <fontconfig/fontconfig.h>
#include <hb-ot.h>
#include <hb.h>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <unicode/ubidi.h>

namespace {

constexpr char16_t kEllipsis = u'\u2026';
constexpr double kSlack = 1e-6; // widths are sums of floats; a text exactly as wide as the box fits

QString defaultFontDir() {
    return QStringLiteral("/usr/share/fonts/truetype/liberation");
}

// After the report font, in this order: Arabic and Hebrew in faces made for them (DejaVu draws both,
// less well), then DejaVu for the rest of Latin, Greek, Cyrillic and symbols, Droid for CJK (its
// outlines are TrueType, which the subsetter embeds; Noto CJK is CFF) and Symbola for emoji. A fixed
// list, resolved through fontconfig, rather than fontconfig's own ordering: the preview's QFont gets
// the very same list, so both pick the same face for a character.
constexpr const char* kFallbackFamilies[] = {"Noto Sans Arabic", "Noto Sans Hebrew", "DejaVu Sans",
                                             "Droid Sans Fallback", "Symbola"};

// Characters the tables do not draw as they stand: controls other than TAB, LF and CR (dropped),
// marks (placed on their base by shaping), format characters (invisible), right-to-left and
// embedding characters (reordered), Hangul jamo and characters NFC changes (composed).
bool needsShaping(char32_t c) {
    if (c == u'\t' || c == u'\n' || c == u'\r')
        return false;
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0xD800 && c <= 0xDFFF) || (c >= 0x1100 && c <= 0x11FF))
        return true;
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
        return true;
    default:
        break;
    }
    switch (QChar::direction(c)) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirAN:
    case QChar::DirRLE:
    case QChar::DirRLO:
    case QChar::DirLRE:
    case QChar::DirLRO:
    case QChar::DirPDF:
    case QChar::DirRLI:
    case QChar::DirLRI:
    case QChar::DirFSI:
    case QChar::DirPDI:
        return true;
    default:
        break;
    }
    const QString one{QChar(char16_t(c))};
    return one.normalized(QString::NormalizationForm_C) != one;
}

// Characters that draw nothing themselves (joiners, variation selectors, bidi marks): a face need
// not have them to draw the cluster they are in.
bool isIgnorable(char32_t c) {
    return QChar::category(c) == QChar::Other_Format || (c >= 0xFE00 && c <= 0xFE0F) ||
           (c >= 0xE0100 && c <= 0xE01EF) || c == 0x034F || (c >= 0x180B && c <= 0x180F);
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

hb_font_t* makeHbFont(const QByteArray& data) {
    hb_blob_t* blob =
        hb_blob_create(data.constData(), unsigned(data.size()), HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    hb_face_t* face = hb_face_create(blob, 0);
    hb_font_t* font = hb_font_create(face); // scaled to font units
    hb_font_make_immutable(font);           // shared by every thread that shapes
    hb_face_destroy(face);
    hb_blob_destroy(blob);
    return font;
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
            for (int c = 0; c < n; ++c) {
                const quint32 g = indexes[size_t(c)];
                glyph[from + c] = g > 0 && g < quint32(f.glyphCount) && !needsShaping(char32_t(from + c))
                                      ? quint16(g)
                                      : kComplex;
            }
        }
        for (int c = 0xD800; c < 0xE000; ++c)
            glyph[c] = kComplex;
        // TAB and CR (and LF where a line is not broken) draw and measure as a space.
        for (char16_t c : {u'\t', u'\n', u'\r'})
            glyph[c] = glyph[u' '];
        for (int c = 0; c < kBmp; ++c)
            advance[c] =
                glyph[c] == kComplex ? std::numeric_limits<float>::quiet_NaN() : f.glyphAdvance[glyph[c]];
    }
    m_shaper = std::make_unique<Shaper>(*this);
}

// The fallback faces, found through fontconfig and read the first time text needs them.
struct TextMeasurer::Shaper {
    struct Face {
        QString path;
        FcCharSet* charset = nullptr; // what fontconfig says the face covers; null for report fonts
        std::once_flag once;
        FontInfo info;
        hb_font_t* hb = nullptr;
    };

    const TextMeasurer& owner;
    std::once_flag once;
    std::vector<std::unique_ptr<Face>> faces;       // by font id; the report fonts first
    std::array<std::vector<int>, kFontCount> chain; // the font ids a character is looked for in

    explicit Shaper(const TextMeasurer& m) : owner(m) {}
    ~Shaper() {
        for (auto& f : faces) {
            if (f->hb)
                hb_font_destroy(f->hb);
            if (f->charset)
                FcCharSetDestroy(f->charset);
        }
    }

    void resolve() {
        for (int style = 0; style < kFontCount; ++style) {
            auto f = std::make_unique<Face>();
            f->path = owner.m_fonts[size_t(style)].path;
            f->hb = makeHbFont(owner.m_fonts[size_t(style)].data);
            faces.push_back(std::move(f));
            chain[size_t(style)].push_back(style);
        }
        for (const char* family : kFallbackFamilies) {
            for (int style = 0; style < kFontCount; ++style) {
                FcPattern* pattern = FcPatternCreate();
                FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
                FcPatternAddInteger(pattern, FC_WEIGHT, style == Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
                FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
                FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
                FcDefaultSubstitute(pattern);
                FcResult result = FcResultNoMatch;
                FcPattern* match = FcFontMatch(nullptr, pattern, &result);
                FcPatternDestroy(pattern);
                if (!match)
                    continue;
                bool sameFamily = false;
                FcChar8* name = nullptr;
                for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
                    sameFamily =
                        sameFamily || QString::fromUtf8(reinterpret_cast<const char*>(name))
                                              .compare(QLatin1String(family), Qt::CaseInsensitive) == 0;
                FcChar8* file = nullptr;
                int index = 0;
                FcCharSet* charset = nullptr;
                FcPatternGetInteger(match, FC_INDEX, 0, &index);
                // fontconfig answers with its nearest face when the family is not installed; and a
                // face inside a collection is not what the subsetter reads.
                if (sameFamily && index == 0 &&
                    FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
                    FcPatternGetCharSet(match, FC_CHARSET, 0, &charset) == FcResultMatch) {
                    const QString path = QString::fromLocal8Bit(reinterpret_cast<const char*>(file));
                    int id = -1;
                    for (size_t k = 0; k < faces.size(); ++k)
                        if (faces[k]->path == path)
                            id = int(k);
                    if (id < 0) {
                        auto f = std::make_unique<Face>();
                        f->path = path;
                        f->charset = FcCharSetCopy(charset);
                        id = int(faces.size());
                        faces.push_back(std::move(f));
                    }
                    chain[size_t(style)].push_back(id);
                }
                FcPatternDestroy(match);
            }
        }
    }

    // The face's font, read on first use; null when it cannot be read or is not TrueType.
    hb_font_t* font(int id) {
        Face& f = *faces[size_t(id)];
        if (id < kFontCount)
            return f.hb;
        std::call_once(f.once, [&] {
            try {
                f.info = loadFallback(f.path);
                f.hb = makeHbFont(f.info.data);
                std::vector<hb_codepoint_t> glyphs(size_t(f.info.glyphCount));
                std::vector<hb_position_t> advances(glyphs.size());
                for (size_t g = 0; g < glyphs.size(); ++g)
                    glyphs[g] = hb_codepoint_t(g);
                hb_font_get_glyph_h_advances(f.hb, unsigned(glyphs.size()), glyphs.data(),
                                             sizeof(hb_codepoint_t), advances.data(), sizeof(hb_position_t));
                f.info.glyphAdvance.resize(glyphs.size());
                for (size_t g = 0; g < glyphs.size(); ++g)
                    f.info.glyphAdvance[g] =
                        float(std::round(advances[g] * 1000.0 * 1000.0 / f.info.unitsPerEm) / 1000.0);
                hb_position_t v = 0;
                const double em = f.info.unitsPerEm;
                if (hb_ot_metrics_get_position(f.hb, HB_OT_METRICS_TAG_HORIZONTAL_ASCENDER, &v))
                    f.info.ascent = v / em;
                if (hb_ot_metrics_get_position(f.hb, HB_OT_METRICS_TAG_HORIZONTAL_DESCENDER, &v))
                    f.info.descent = -v / em;
                if (hb_ot_metrics_get_position(f.hb, HB_OT_METRICS_TAG_HORIZONTAL_LINE_GAP, &v))
                    f.info.leading = v / em;
                if (hb_ot_metrics_get_position(f.hb, HB_OT_METRICS_TAG_CAP_HEIGHT, &v))
                    f.info.capHeight = v / em;
            } catch (const std::exception&) {
                // Left out of the chain: its characters come from the next face, or the box.
                if (f.hb)
                    hb_font_destroy(f.hb);
                f.hb = nullptr;
            }
        });
        return f.hb;
    }

    static FontInfo loadFallback(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error("unreadable");
        FontInfo f;
        f.path = path;
        f.data = file.readAll();
        const TrueType::Font tt(f.data);
        if (!tt.valid())
            throw std::runtime_error("not TrueType");
        f.unitsPerEm = tt.unitsPerEm();
        f.glyphCount = tt.glyphCount();
        f.bbox = tt.bbox();
        f.postscriptName = tt.postscriptName();
        if (f.postscriptName.isEmpty())
            f.postscriptName = QFileInfo(path).completeBaseName().toLatin1();
        return f;
    }

    bool has(int id, char32_t c) {
        const Face& f = *faces[size_t(id)];
        if (f.charset && !FcCharSetHasChar(f.charset, c))
            return false;
        hb_font_t* hb = font(id);
        hb_codepoint_t g = 0;
        return hb && hb_font_get_nominal_glyph(hb, c, &g) && g != 0;
    }
};

TextMeasurer::~TextMeasurer() = default;

TextMeasurer::Shaper& TextMeasurer::shaper() const {
    std::call_once(m_shaper->once, [this] { m_shaper->resolve(); });
    return *m_shaper;
}

QStringList TextMeasurer::fontFamilies() {
    QStringList out{QStringLiteral("Liberation Sans")};
    for (const char* family : kFallbackFamilies)
        out << QString::fromLatin1(family);
    return out;
}

const TextMeasurer::FontInfo& TextMeasurer::font(int id) const {
    if (id < kFontCount)
        return m_fonts[size_t(id)];
    Shaper& s = shaper();
    s.font(id);
    return s.faces[size_t(id)]->info;
}

bool TextMeasurer::isSimple(QStringView text, Font font) const {
    const quint16* glyph = m_glyph[font].get();
    for (QChar c : text)
        if (glyph[c.unicode()] == kComplex)
            return false;
    return true;
}

struct TextMeasurer::Advances {
    std::vector<double> advance; // per code unit, thousandths of an em
    std::vector<bool> joins;     // the code unit belongs to the cluster of the one before
};

namespace {

// One run of shaping: the logical range [start, end) drawn in one face (-1: no face has it,
// -2: dropped control).
struct Segment {
    int start, end, font;
};

} // namespace

TextMeasurer::Shaped TextMeasurer::shape(QStringView text, Font font) const {
    return shapeText(text, font, nullptr);
}

TextMeasurer::Advances TextMeasurer::advances(QStringView text, Font font) const {
    Advances a;
    shapeText(text, font, &a);
    return a;
}

TextMeasurer::Shaped TextMeasurer::shapeText(QStringView text, Font style, Advances* advances) const {
    Shaped out;
    const qsizetype n = text.size();
    Shaper& s = shaper();
    // TAB, LF and CR draw as a space; a lone surrogate as the replacement character.
    QString u = text.toString();
    std::vector<bool> dropped(size_t(n), false);
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = u[i].unicode();
        if (c == u'\t' || c == u'\n' || c == u'\r')
            u[i] = u' ';
        else if (isDroppedFromCellText(c))
            dropped[size_t(i)] = true;
        else if (QChar::isHighSurrogate(c) && i + 1 < n && u[i + 1].isLowSurrogate())
            ++i;
        else if (QChar::isSurrogate(c))
            u[i] = QChar(QChar::ReplacementCharacter);
    }

    // A face for each character: the first of the chain that has it, as Qt picks the preview's; a
    // character that draws nothing stays in the face before it. Lines break between graphemes only.
    std::vector<int> fontOf(size_t(n), -1);
    std::vector<bool> clusterStart(size_t(n), false), pointStart(size_t(n), false);
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, u);
    for (qsizetype b = 0; b >= 0 && b < n; b = graphemes.toNextBoundary())
        clusterStart[size_t(b)] = true;
    const std::vector<int>& chain = s.chain[size_t(style)];
    int previous = style;
    for (qsizetype i = 0; i < n;) {
        char32_t c = u[i].unicode();
        qsizetype length = 1;
        if (u[i].isHighSurrogate() && i + 1 < n && u[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(u[i], u[i + 1]), length = 2;
        pointStart[size_t(i)] = true;
        int chosen = -1;
        if (dropped[size_t(i)]) {
            chosen = -2;
        } else if (isIgnorable(c)) {
            chosen = previous;
        } else {
            for (int id : chain) {
                if (s.has(id, c)) {
                    chosen = previous = id;
                    break;
                }
            }
        }
        for (qsizetype k = i; k < i + length; ++k)
            fontOf[size_t(k)] = chosen;
        i += length;
    }
    if (advances) {
        advances->advance.assign(size_t(n), 0.0);
        advances->joins.resize(size_t(n));
        for (qsizetype i = 0; i < n; ++i)
            advances->joins[size_t(i)] = !clusterStart[size_t(i)];
    }

    // Visual runs of one direction (the paragraph left to right, as the preview lays it out).
    struct Run {
        int start, length;
        bool rtl;
    };
    std::vector<Run> runs;
    UErrorCode error = U_ZERO_ERROR;
    UBiDi* bidi = ubidi_openSized(int32_t(n), 0, &error);
    if (U_SUCCESS(error))
        ubidi_setPara(bidi, reinterpret_cast<const UChar*>(u.utf16()), int32_t(n), UBIDI_LTR, nullptr,
                      &error);
    const int32_t count = U_SUCCESS(error) ? ubidi_countRuns(bidi, &error) : 0;
    if (U_SUCCESS(error) && count > 0) {
        for (int32_t r = 0; r < count; ++r) {
            int32_t start = 0, length = 0;
            const UBiDiDirection dir = ubidi_getVisualRun(bidi, r, &start, &length);
            runs.push_back({start, length, dir == UBIDI_RTL});
        }
    } else if (n > 0) {
        runs.push_back({0, int(n), false});
    }
    if (bidi)
        ubidi_close(bidi);

    // The text in drawing order, as extractors read a line (they turn right-to-left runs back
    // themselves): code points of a right-to-left run reversed, dropped controls left out, a cluster
    // no face has as U+FFFD.
    out.text.reserve(n);
    for (const Run& run : runs) {
        const qsizetype from = out.text.size();
        for (int i = run.start; i < run.start + run.length; ++i) {
            if (fontOf[size_t(i)] == -2 || (fontOf[size_t(i)] == -1 && !pointStart[size_t(i)]))
                continue;
            out.text.append(fontOf[size_t(i)] == -1 ? QChar(QChar::ReplacementCharacter) : u[i]);
        }
        if (run.rtl) {
            QList<uint> points = QStringView(out.text).mid(from).toUcs4();
            std::reverse(points.begin(), points.end());
            out.text.truncate(from);
            out.text.append(
                QString::fromUcs4(reinterpret_cast<const char32_t*>(points.constData()), points.size()));
        }
    }

    hb_feature_t noKerning;
    hb_feature_from_string("-kern", -1, &noKerning);
    hb_buffer_t* buffer = hb_buffer_create();
    double pen = 0;
    std::vector<Segment> segments;
    for (const Run& run : runs) {
        segments.clear();
        for (int i = run.start; i < run.start + run.length;) {
            int end = i + 1;
            while (end < run.start + run.length && fontOf[size_t(end)] == fontOf[size_t(i)])
                ++end;
            segments.push_back({i, end, fontOf[size_t(i)]});
            i = end;
        }
        if (run.rtl)
            std::reverse(segments.begin(), segments.end());
        for (const Segment& seg : segments) {
            if (seg.font == -2)
                continue;
            if (seg.font == -1) {
                const double a = m_fonts[size_t(style)].glyphAdvance[0];
                for (int i = seg.start; i < seg.end; ++i) {
                    if (!pointStart[size_t(i)])
                        continue;
                    out.glyphs.push_back({style, 0, pen, 0, QString(QChar(QChar::ReplacementCharacter))});
                    pen += a;
                    if (advances)
                        advances->advance[size_t(i)] += a;
                }
                if (run.rtl) // the boxes of a right-to-left run read right to left too
                    std::reverse(out.glyphs.end() - std::count_if(pointStart.begin() + seg.start,
                                                                  pointStart.begin() + seg.end,
                                                                  [](bool b) { return b; }),
                                 out.glyphs.end());
                continue;
            }
            hb_font_t* hbFont = s.font(seg.font);
            const double k = 1000.0 / font(seg.font).unitsPerEm;
            hb_buffer_clear_contents(buffer);
            hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(u.utf16()), int(n),
                                unsigned(seg.start), seg.end - seg.start);
            hb_buffer_set_direction(buffer, run.rtl ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
            hb_buffer_set_cluster_level(buffer, HB_BUFFER_CLUSTER_LEVEL_MONOTONE_CHARACTERS);
            hb_buffer_set_flags(buffer, HB_BUFFER_FLAG_REMOVE_DEFAULT_IGNORABLES);
            hb_buffer_guess_segment_properties(buffer);
            hb_shape(hbFont, buffer, &noKerning, 1);
            unsigned glyphCount = 0;
            const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &glyphCount);
            const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, nullptr);
            std::vector<int> starts;
            for (unsigned g = 0; g < glyphCount; ++g)
                starts.push_back(int(info[g].cluster));
            std::sort(starts.begin(), starts.end());
            starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
            std::vector<bool> named(starts.size(), false);
            for (unsigned g = 0; g < glyphCount; ++g) {
                const int cluster = int(info[g].cluster);
                const size_t at =
                    size_t(std::lower_bound(starts.begin(), starts.end(), cluster) - starts.begin());
                Glyph glyph{seg.font, info[g].codepoint, pen + pos[g].x_offset * k, pos[g].y_offset * k, {}};
                if (!named[at]) {
                    named[at] = true;
                    const int end = at + 1 < starts.size() ? starts[at + 1] : seg.end;
                    glyph.text = u.mid(cluster, end - cluster);
                }
                pen += pos[g].x_advance * k;
                if (advances)
                    advances->advance[size_t(cluster)] += pos[g].x_advance * k;
                out.glyphs.push_back(std::move(glyph));
            }
        }
    }
    hb_buffer_destroy(buffer);
    out.width = pen;
    return out;
}

const TextMeasurer& TextMeasurer::shared() {
    static const TextMeasurer instance;
    return instance;
}

double TextMeasurer::width(QStringView text, double size, Font font) const {
    const float* advance = m_advance[font].get();
    double sum = 0;
    for (QChar c : text)
        sum += advance[c.unicode()];
    if (std::isnan(sum)) // a code unit the tables do not draw: measured as the writer draws it
        sum = shape(cellText(text.toString()), font).width;
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
    if (isSimple(text, font)) {
        while (n < text.size() && sum + advance[text[n].unicode()] <= limit)
            sum += advance[text[n++].unicode()];
    } else {
        const Advances a = advances(text, font);
        while (n < text.size()) { // whole clusters only
            qsizetype end = n + 1;
            double cluster = a.advance[size_t(n)];
            for (; end < text.size() && a.joins[size_t(end)]; ++end)
                cluster += a.advance[size_t(end)];
            if (sum + cluster > limit)
                break;
            sum += cluster;
            n = end;
        }
        // Shaped alone, a prefix may be wider than its share of the whole (an Arabic letter takes
        // its final form): shorter by a cluster until it fits as drawn.
        while (n > 0 && shape(cellText(text.left(n).toString()), font).width > limit) {
            do
                --n;
            while (n > 0 && a.joins[size_t(n)]);
        }
    }
    QString out;
    out.reserve(n + 1);
    out.append(text.left(n));
    out.append(QChar(kEllipsis));
    return out;
}

namespace {

// Lines of text in at most limit, with advance(i) the width of code unit i and joins(i) true when
// the code unit may not start a line (it belongs to the character or cluster before it).
template <typename Advance, typename Joins>
std::vector<TextMeasurer::Line> wrapWith(QStringView text, double limit, Advance advance, Joins joins) {
    using Line = TextMeasurer::Line;
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
            word += advance(end);
            if (breaksAfter(text, end++))
                break;
        }
        if (hasWord && lineWidth + spaces + word > limit)
            push(pos);
        if (!hasWord && word > limit) {
            // The word alone is wider than the line: as many characters a line as fit, at least one,
            // in one pass over the word (a long word without spaces stays linear).
            double sum = advance(pos);
            for (qsizetype k = pos + 1; k < end; ++k) {
                const double a = advance(k);
                if (sum + a <= limit || joins(k)) {
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
            spaces += advance(pos++);
    }
    if (lineStart < n || lines.empty())
        lines.push_back({int(lineStart), int(n - lineStart)});
    return lines;
}

} // namespace

std::vector<TextMeasurer::Line> TextMeasurer::wrap(QStringView text, double size, double width,
                                                   Font font) const {
    const double limit = (width + kSlack) * 1000.0 / size; // in thousandths of an em
    if (isSimple(text, font)) {
        const float* advance = m_advance[font].get();
        return wrapWith(
            text, limit, [&](qsizetype i) { return double(advance[text[i].unicode()]); },
            [&](qsizetype i) { return text[i].isLowSurrogate(); });
    }
    const Advances a = advances(text, font);
    std::vector<Line> lines = wrapWith(
        text, limit, [&](qsizetype i) { return a.advance[size_t(i)]; },
        [&](qsizetype i) { return bool(a.joins[size_t(i)]); });
    // A word broken across lines is shaped piece by piece, and a piece may be wider than its share of
    // the whole (an Arabic letter takes its final form): such a line hands its last clusters on.
    for (size_t k = 0; k < lines.size(); ++k) {
        const int start = lines[k].start;
        int end = start + lines[k].length;
        if (end == start || text[end - 1] == u'\n')
            continue;
        while (this->width(text.mid(start, end - start).trimmed(), 1000.0, font) > limit) {
            int cut = end - 1;
            while (cut > start && a.joins[size_t(cut)])
                --cut;
            if (cut <= start)
                break; // one cluster wider than the line: it stays
            const int moved = end - cut;
            lines[k].length -= moved;
            end = cut;
            if (k + 1 < lines.size()) {
                lines[k + 1].start -= moved;
                lines[k + 1].length += moved;
            } else {
                lines.push_back({cut, moved});
            }
        }
    }
    return lines;
}
