#include "reporting/pdf/PdfWriter.h"

#include <initializer_list>

#include "core/CellText.h"
#include "core/WriteFailure.h"
#include "reporting/text/TrueType.h"

#include <QSaveFile>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <map>
#include <mutex>
#include <thread>
#include <vector>
#include <zlib.h>

namespace {

// Objects every document has, numbered before the first page.
constexpr int kCatalog = 1, kPages = 2, kInfo = 3, kResources = 4, kFirstFont = 5;
constexpr int kObjectsPerFont = 5; // Type0, CIDFont, descriptor, font file, Unicode map

// Appends a number with at most two decimals: positions are written in points, and a hundredth
// of a point is far below anything a printer or a screen shows.
void appendNumber(QByteArray& out, double v) {
    char buf[32];
    char* p = buf + sizeof buf;
    long long n = std::llround(v * 100.0);
    const bool negative = n < 0;
    if (negative)
        n = -n;
    int fraction = int(n % 100);
    n /= 100;
    if (fraction) {
        if (fraction % 10 == 0) {
            *--p = char('0' + fraction / 10);
        } else {
            *--p = char('0' + fraction % 10);
            *--p = char('0' + fraction / 10);
        }
        *--p = '.';
    }
    do {
        *--p = char('0' + n % 10);
        n /= 10;
    } while (n);
    if (negative)
        *--p = '-';
    out.append(p, buf + sizeof buf - p);
}

// Numbers separated by blanks, then the operator that takes them ("x y w h re f").
void appendOperation(QByteArray& out, std::initializer_list<double> operands, const char* op) {
    for (double v : operands) {
        appendNumber(out, v);
        out.append(' ');
    }
    out.append(op);
}

void appendInt(QByteArray& out, long long v) {
    out.append(QByteArray::number(v));
}

void appendHex16(QByteArray& out, quint32 v) {
    static const char digits[] = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4)
        out.append(digits[(v >> shift) & 0xF]);
}

QByteArray hexUtf16(const QString& s) {
    QByteArray out("<FEFF");
    for (QChar c : s)
        appendHex16(out, c.unicode());
    out.append('>');
    return out;
}

// Deflate with one reusable zlib stream.
class Deflater {
public:
    explicit Deflater(int level) { m_ok = deflateInit(&m_z, level) == Z_OK; }
    ~Deflater() {
        if (m_ok)
            deflateEnd(&m_z);
    }
    bool compress(const QByteArray& in, QByteArray& out) {
        if (!m_ok || deflateReset(&m_z) != Z_OK)
            return false;
        out.resize(qsizetype(deflateBound(&m_z, uLong(in.size()))));
        m_z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
        m_z.avail_in = uInt(in.size());
        m_z.next_out = reinterpret_cast<Bytef*>(out.data());
        m_z.avail_out = uInt(out.size());
        if (deflate(&m_z, Z_FINISH) != Z_STREAM_END)
            return false;
        out.resize(qsizetype(m_z.total_out));
        return true;
    }

private:
    z_stream m_z{};
    bool m_ok = false;
};

// The drawing operators of one content stream, with the little state that saves repeating them.
struct Content {
    QByteArray ops;
    bool inText = false;
    int font = -1;
    double size = -1, lineX = 0, lineY = 0, fill = 0, stroke = -1;

    void reset() {
        ops.clear();
        inText = false;
        font = -1;
        size = -1;
        lineX = lineY = 0;
        fill = 0;
        stroke = -1; // the reader's default width is in points, not in the caller's unit
    }
    void endText() {
        if (inText) {
            ops.append("ET\n");
            inText = false;
        }
    }
};

} // namespace

QString PdfWriteError::describe(const QString& path, const QString& reason) {
    return QStringLiteral("Não foi possível gravar o PDF '%1': %2.").arg(path, reason);
}

PdfWriteError::PdfWriteError(const QString& path, const QString& reason)
    : std::runtime_error(describe(path, reason).toStdString()), m_path(path),
      m_message(describe(path, reason)) {}

struct PdfWriter::Impl {
    const TextMeasurer& measurer;
    Options options;
    QString path;
    std::unique_ptr<QSaveFile> file;
    double pageWidth = 0, pageHeight = 0, scale = 1, originX = 0, originY = 0;
    bool open = false, pageOpen = false;

    std::vector<qint64> offsets{0}; // by object number; written by this thread only
    int nextObject = kFirstFont + kObjectsPerFont * TextMeasurer::kFontCount;
    std::vector<int> pageObjects;

    Content page;
    struct PageForm {
        int object;
        QByteArray name;
    };
    std::vector<PageForm> pageForms; // forms drawn on the current page
    // Glyphs drawn from shaped text, per font id, with what each stands for; a fallback font gets
    // its objects when first drawn with.
    struct FontUse {
        int object = 0;
        std::vector<bool> glyphs;
        std::vector<QString> text;
    };
    std::map<int, FontUse> shapedUse;
    struct Deferred {
        int page, object;
        double x, baseline, width;
        Align align;
        Font font;
        double size;
        QString format;
    };
    std::vector<Deferred> deferred;
    // Code units drawn, per font: the glyphs to keep and the Unicode map are made from them.
    std::array<std::vector<quint8>, TextMeasurer::kFontCount> usedChars;

    // What the worker writes: a page's content stream and its page object.
    struct Job {
        QByteArray content, pageDict;
        int contentObject = 0, pageObject = 0;
    };
    std::mutex mutex;
    std::condition_variable notFull, notEmpty;
    std::deque<Job> queue;
    bool stopping = false;
    std::thread worker;
    // Owned by whoever writes pages: the worker while it runs, this thread before and after.
    std::unique_ptr<Deflater> deflater;
    qint64 written = 0;
    std::vector<std::pair<int, qint64>> objectOffsets; // object number, where it starts
    std::atomic<bool> failed{false};
    QString failure;
    QByteArray scratch;

    explicit Impl(const TextMeasurer& m) : measurer(m) {}

    double px(double x) const { return originX + x / scale; }
    double py(double y) const { return pageHeight - (originY + y / scale); }
    int allocate() { return nextObject++; }

    [[noreturn]] void fail(const QString& reason) {
        const QString p = path;
        discard();
        throw PdfWriteError(p, reason);
    }

    // Raw output, counted so object offsets need no seek.
    bool put(const char* data, qsizetype size) {
        if (failed.load(std::memory_order_relaxed))
            return false;
        errno = 0;
        if (file->write(data, size) != size) {
            failure = writeFailureReason(path, file->errorString(), errno);
            failed = true;
            return false;
        }
        written += size;
        return true;
    }
    bool put(const QByteArray& data) { return put(data.constData(), data.size()); }

    void putStream(int object, const QByteArray& dict, const QByteArray& data, bool compress) {
        const QByteArray* body = &data;
        if (compress) {
            if (!deflater->compress(data, scratch)) {
                failure = QStringLiteral("falha ao comprimir");
                failed = true;
                return;
            }
            body = &scratch;
        }
        objectOffsets.push_back({object, written});
        QByteArray head;
        appendInt(head, object);
        head.append(" 0 obj\n<<");
        head.append(dict);
        head.append(" /Length ");
        appendInt(head, body->size());
        if (compress)
            head.append(" /Filter /FlateDecode");
        head.append(" >>\nstream\n");
        put(head);
        put(*body);
        put("\nendstream\nendobj\n", 18);
    }

    void putObject(int object, const QByteArray& body) {
        objectOffsets.push_back({object, written});
        QByteArray head;
        appendInt(head, object);
        head.append(" 0 obj\n");
        put(head);
        put(body);
        put("\nendobj\n", 8);
    }

    void writeJob(const Job& job) {
        putStream(job.contentObject, QByteArray(), job.content, options.compress);
        putObject(job.pageObject, job.pageDict);
    }

    void run() {
        for (;;) {
            Job job;
            {
                std::unique_lock lock(mutex);
                notEmpty.wait(lock, [&] { return stopping || !queue.empty(); });
                if (queue.empty())
                    return;
                job = std::move(queue.front());
                queue.pop_front();
            }
            notFull.notify_one();
            if (!failed.load(std::memory_order_relaxed))
                writeJob(job);
        }
    }

    void stopWorker(bool drop) {
        if (!worker.joinable())
            return;
        {
            std::lock_guard lock(mutex);
            if (drop)
                queue.clear();
            stopping = true;
        }
        notEmpty.notify_one();
        worker.join();
    }

    void discard() {
        if (!open)
            return;
        open = false;
        failed = true; // the worker stops writing at once
        stopWorker(true);
        if (file) {
            file->cancelWriting();
            file.reset(); // removes the temporary file
        }
    }

    void finishPage() {
        if (!pageOpen)
            return;
        pageOpen = false;
        page.endText();
        Job job;
        job.contentObject = allocate();
        job.pageObject = allocate();
        pageObjects.push_back(job.pageObject);
        QByteArray& dict = job.pageDict;
        dict.append("<< /Type /Page /Parent 2 0 R /Contents ");
        appendInt(dict, job.contentObject);
        dict.append(" 0 R /Resources ");
        if (pageForms.empty()) {
            dict.append("4 0 R");
        } else {
            dict.append("<< /Font ");
            dict.append(fontResources());
            dict.append(" /XObject <<");
            for (const PageForm& f : pageForms) {
                dict.append(" /").append(f.name).append(' ');
                appendInt(dict, f.object);
                dict.append(" 0 R");
            }
            dict.append(" >> >>");
            pageForms.clear();
        }
        dict.append(" >>");
        const qsizetype reserve = page.ops.size();
        job.content = std::move(page.ops);
        page.reset();
        page.ops.reserve(reserve + reserve / 8);
        if (worker.joinable()) {
            std::unique_lock lock(mutex);
            notFull.wait(lock, [&] { return queue.size() < size_t(qMax(1, options.queuedPages)); });
            queue.push_back(std::move(job));
            lock.unlock();
            notEmpty.notify_one();
        } else {
            writeJob(job);
        }
    }

    int fontObject(int id) const {
        return id < TextMeasurer::kFontCount ? kFirstFont + kObjectsPerFont * id : shapedUse.at(id).object;
    }

    FontUse& useOf(int id) {
        FontUse& use = shapedUse[id];
        if (use.glyphs.empty()) {
            const int glyphs = measurer.font(id).glyphCount;
            use.glyphs.assign(size_t(glyphs), false);
            use.text.resize(size_t(glyphs));
            if (id >= TextMeasurer::kFontCount) {
                use.object = allocate();
                for (int k = 1; k < kObjectsPerFont; ++k)
                    allocate();
            }
        }
        return use;
    }

    QByteArray fontResources() const {
        QByteArray out("<<");
        auto add = [&](int id) {
            out.append(" /F").append(QByteArray::number(id)).append(' ');
            appendInt(out, fontObject(id));
            out.append(" 0 R");
        };
        for (int f = 0; f < TextMeasurer::kFontCount; ++f)
            add(f);
        for (const auto& [id, use] : shapedUse)
            if (id >= TextMeasurer::kFontCount)
                add(id);
        out.append(" >>");
        return out;
    }

    void selectFont(Content& c, int font, double size) {
        if (font != c.font || size != c.size) {
            c.ops.append("/F").append(QByteArray::number(font)).append(' ');
            appendNumber(c.ops, size / scale);
            c.ops.append(" Tf\n");
            c.font = font;
            c.size = size;
        }
    }

    void appendText(Content& c, double x, double y, Font font, double size, QStringView text) {
        if (!c.inText) {
            if (c.fill != 0) {
                c.ops.append("0 g\n");
                c.fill = 0;
            }
            c.ops.append("BT\n");
            c.inText = true;
            c.lineX = c.lineY = 0;
        }
        selectFont(c, font, size);
        const double tx = px(x), ty = py(y);
        appendNumber(c.ops, tx - c.lineX);
        c.ops.append(' ');
        appendNumber(c.ops, ty - c.lineY);
        c.ops.append(" Td");
        // Rounded as written, so the next move is relative to where the reader really is.
        c.lineX += std::round((tx - c.lineX) * 100.0) / 100.0;
        c.lineY += std::round((ty - c.lineY) * 100.0) / 100.0;
        // Two bytes of glyph index per code unit; a literal string escapes only ( ) \ and CR.
        const qsizetype at = c.ops.size();
        c.ops.resize(at + 1 + 4 * text.size());
        char* out = c.ops.data() + at;
        *out++ = '(';
        quint8* used = usedChars[font].data();
        for (QChar ch : text) {
            const char16_t u = ch.unicode();
            const quint16 g = measurer.glyph(u, font);
            if (g == TextMeasurer::kComplex) {
                c.ops.resize(at);
                c.ops.append('\n');
                appendShaped(c, font, size, text);
                return;
            }
            used[u] = 1;
            for (const char b : {char(g >> 8), char(g & 0xff)}) {
                if (b == '(' || b == ')' || b == '\\') {
                    *out++ = '\\';
                    *out++ = b;
                } else if (b == '\r') {
                    *out++ = '\\';
                    *out++ = 'r';
                } else {
                    *out++ = b;
                }
            }
        }
        c.ops.resize(out - c.ops.data());
        c.ops.append(")Tj\n");
    }

    // Text the tables do not draw, at the current line start: the report's rule for text applied
    // (so text handed here directly is drawn as a fetched row would be), shaped, each glyph placed
    // where the shaping puts it (TJ moves it from where its width leaves the pen, Ts raises a mark)
    // and the whole marked with the text it reads as, which extractors prefer to the glyphs.
    void appendShaped(Content& c, Font font, double size, QStringView text) {
        const TextMeasurer::Shaped shaped = measurer.shape(cellText(text.toString()), font);
        c.ops.append("/Span<</ActualText").append(hexUtf16(shaped.text)).append(">>BDC\n");
        double pen = 0, rise = 0; // thousandths of an em
        bool inArray = false;
        for (const TextMeasurer::Glyph& g : shaped.glyphs) {
            FontUse& use = useOf(g.font);
            if (g.index >= use.glyphs.size())
                continue;
            use.glyphs[g.index] = true;
            if (use.text[g.index].isEmpty())
                use.text[g.index] = g.text;
            const bool newFont = g.font != c.font;
            if (inArray && (newFont || g.y != rise)) {
                c.ops.append("]TJ\n");
                inArray = false;
            }
            selectFont(c, g.font, size);
            if (g.y != rise) {
                appendNumber(c.ops, g.y * size / scale / 1000.0);
                c.ops.append(" Ts\n");
                rise = g.y;
            }
            if (!inArray) {
                c.ops.append('[');
                inArray = true;
            }
            const double adjust = std::round((pen - g.x) * 100.0) / 100.0;
            if (adjust != 0) {
                appendNumber(c.ops, adjust);
                pen -= adjust;
            }
            c.ops.append('<');
            appendHex16(c.ops, g.index);
            c.ops.append('>');
            pen += measurer.font(g.font).glyphAdvance[g.index];
        }
        if (inArray)
            c.ops.append("]TJ\n");
        if (rise != 0)
            c.ops.append("0 Ts\n");
        c.ops.append("EMC\n");
    }

    // The page-count forms, the fonts, the page tree and the cross-reference table.
    void finish();
    void writeFont(int id);
};

void PdfWriter::Impl::finish() {
    // Forms that needed the page count.
    const int pages = int(pageObjects.size());
    Content form;
    for (const Deferred& f : deferred) {
        const QString text = QString(f.format)
                                 .replace(QLatin1String("%1"), QString::number(f.page))
                                 .replace(QLatin1String("%2"), QString::number(pages));
        const double w = measurer.width(text, f.size, f.font);
        double x = f.x;
        if (f.align == Align::Right)
            x = f.x + f.width - w;
        else if (f.align == Align::Center)
            x = f.x + (f.width - w) / 2;
        form.reset();
        form.fill = -1; // a form inherits the fill of the page where it is drawn
        appendText(form, x, f.baseline, f.font, f.size, text);
        form.endText();
        QByteArray dict(" /Type /XObject /Subtype /Form /BBox [0 0 ");
        appendNumber(dict, pageWidth);
        dict.append(' ');
        appendNumber(dict, pageHeight);
        dict.append("] /Resources 4 0 R");
        // A form is one short text operation: deflating it would not make it smaller.
        putStream(f.object, dict, form.ops, false);
    }
    for (int f = 0; f < TextMeasurer::kFontCount; ++f)
        writeFont(f);
    for (const auto& [id, use] : shapedUse)
        if (id >= TextMeasurer::kFontCount)
            writeFont(id);

    QByteArray resources("<< /Font ");
    resources.append(fontResources()).append(" /ProcSet [/PDF /Text] >>");
    putObject(kResources, resources);

    QByteArray tree("<< /Type /Pages /MediaBox [0 0 ");
    appendNumber(tree, pageWidth);
    tree.append(' ');
    appendNumber(tree, pageHeight);
    tree.append("] /Count ");
    appendInt(tree, pages);
    tree.append(" /Kids [");
    for (int i = 0; i < pages; ++i) {
        tree.append(i % 10 ? " " : "\n");
        appendInt(tree, pageObjects[size_t(i)]);
        tree.append(" 0 R");
    }
    tree.append("] >>");
    putObject(kPages, tree);

    QByteArray info("<< /Producer ");
    info.append(hexUtf16(QStringLiteral("ERP - relatórios")));
    if (!options.title.isEmpty())
        info.append(" /Title ").append(hexUtf16(options.title));
    if (!options.creator.isEmpty())
        info.append(" /Creator ").append(hexUtf16(options.creator));
    info.append(" >>");
    putObject(kInfo, info);
    putObject(kCatalog, "<< /Type /Catalog /Pages 2 0 R >>");

    offsets.assign(size_t(nextObject), -1);
    for (const auto& [object, offset] : objectOffsets)
        offsets[size_t(object)] = offset;
    const qint64 xref = written;
    QByteArray table("xref\n0 ");
    appendInt(table, nextObject);
    table.append("\n0000000000 65535 f \n");
    char entry[32];
    for (int i = 1; i < nextObject; ++i) {
        if (offsets[size_t(i)] < 0) {
            table.append("0000000000 65535 f \n"); // numbered but never needed
            continue;
        }
        std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", (long long)offsets[size_t(i)]);
        table.append(entry, 20);
        if (table.size() >= 1 << 16) { // 20 bytes an object: not held whole
            put(table);
            table.clear();
        }
    }
    table.append("trailer\n<< /Size ");
    appendInt(table, nextObject);
    table.append(" /Root 1 0 R /Info 3 0 R >>\nstartxref\n");
    appendInt(table, xref);
    table.append("\n%%EOF\n");
    put(table);
}

void PdfWriter::Impl::writeFont(int id) {
    const TextMeasurer::FontInfo& info = measurer.font(id);
    const int type0 = fontObject(id);
    const int cidFont = type0 + 1, descriptor = type0 + 2, fontFile = type0 + 3, toUnicode = type0 + 4;

    // What each glyph reads as: the lowest code unit drawn with it from the tables, else the text
    // shaping gave it; the missing-glyph box reads as U+FFFD, never as a character it replaced.
    std::vector<bool> usedGlyphs(size_t(info.glyphCount), false);
    std::vector<QString> unicode(size_t(info.glyphCount));
    if (id < TextMeasurer::kFontCount) {
        const std::vector<quint8>& chars = usedChars[size_t(id)];
        for (int c = 0; c < 0x10000; ++c) {
            if (!chars[size_t(c)])
                continue;
            const quint16 g = measurer.glyph(char16_t(c), Font(id));
            usedGlyphs[g] = true;
            if (unicode[g].isEmpty()) // TAB, LF and CR are drawn as (and read as) a space
                unicode[g] = QChar(c < 0x20 ? u' ' : char16_t(c));
        }
    }
    if (const auto shaped = shapedUse.find(id); shaped != shapedUse.end()) {
        for (size_t g = 0; g < usedGlyphs.size(); ++g) {
            if (!shaped->second.glyphs[g])
                continue;
            usedGlyphs[g] = true;
            if (unicode[g].isEmpty())
                unicode[g] = shaped->second.text[g];
        }
    }
    usedGlyphs[0] = true;
    unicode[0] = QChar(QChar::ReplacementCharacter);

    // A subset is named with a tag made of its glyphs, as readers expect of a subset.
    quint32 hash = 2166136261u;
    for (size_t g = 0; g < usedGlyphs.size(); ++g)
        if (usedGlyphs[g])
            hash = (hash ^ quint32(g)) * 16777619u;
    QByteArray name;
    for (int i = 0; i < 6; ++i) {
        name.append(char('A' + hash % 26));
        hash /= 26;
    }
    name.append('+').append(info.postscriptName);

    const TrueType::Font tt(info.data);
    const QByteArray subset = tt.subset(usedGlyphs);
    QByteArray fileDict(" /Length1 ");
    appendInt(fileDict, subset.size());
    putStream(fontFile, fileDict, subset, true);

    const double em = info.unitsPerEm;
    QByteArray desc("<< /Type /FontDescriptor /FontName /");
    desc.append(name).append(" /Flags 32 /FontBBox [");
    for (int i = 0; i < 4; ++i) {
        desc.append(' ');
        appendInt(desc, std::lround(info.bbox[size_t(i)] * 1000.0 / em));
    }
    desc.append(" ] /ItalicAngle 0 /Ascent ");
    appendInt(desc, std::lround(info.ascent * 1000));
    desc.append(" /Descent ");
    appendInt(desc, -std::lround(info.descent * 1000));
    desc.append(" /CapHeight ");
    appendInt(desc, std::lround(info.capHeight * 1000));
    desc.append(id == TextMeasurer::Bold ? " /StemV 120" : " /StemV 80");
    desc.append(" /FontFile2 ");
    appendInt(desc, fontFile);
    desc.append(" 0 R >>");
    putObject(descriptor, desc);

    // Widths of the glyphs drawn, in runs of consecutive indexes; exactly the measurer's numbers.
    QByteArray widths("[");
    for (int g = 0; g < info.glyphCount;) {
        if (!usedGlyphs[size_t(g)]) {
            ++g;
            continue;
        }
        widths.append('\n');
        appendInt(widths, g);
        widths.append(" [");
        for (; g < info.glyphCount && usedGlyphs[size_t(g)]; ++g) {
            const double w = info.glyphAdvance[size_t(g)];
            widths.append(
                QByteArray::number(w, 'f', 3).replace(QByteArray(".000"), QByteArray()).append(' '));
        }
        widths.append(']');
    }
    widths.append(" ]");
    QByteArray cid("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /");
    cid.append(name).append(" /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>");
    cid.append(" /FontDescriptor ");
    appendInt(cid, descriptor);
    cid.append(" 0 R /CIDToGIDMap /Identity /DW ");
    appendInt(cid, std::lround(info.glyphAdvance[0]));
    cid.append(" /W ").append(widths).append(" >>");
    putObject(cidFont, cid);

    QByteArray cmap("/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                    "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                    "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                    "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n");
    std::vector<int> mapped;
    for (int g = 0; g < info.glyphCount; ++g)
        if (usedGlyphs[size_t(g)] && !unicode[size_t(g)].isEmpty())
            mapped.push_back(g);
    for (size_t i = 0; i < mapped.size(); i += 100) {
        const size_t n = std::min<size_t>(100, mapped.size() - i);
        appendInt(cmap, qint64(n));
        cmap.append(" beginbfchar\n");
        for (size_t k = i; k < i + n; ++k) {
            cmap.append('<');
            appendHex16(cmap, quint32(mapped[k]));
            cmap.append("> <");
            // A destination string holds at most 256 bytes.
            for (QChar ch : QStringView(unicode[size_t(mapped[k])]).left(127))
                appendHex16(cmap, ch.unicode());
            cmap.append(">\n");
        }
        cmap.append("endbfchar\n");
    }
    cmap.append("endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n");
    putStream(toUnicode, QByteArray(), cmap, true);

    QByteArray top("<< /Type /Font /Subtype /Type0 /BaseFont /");
    top.append(name).append(" /Encoding /Identity-H /DescendantFonts [");
    appendInt(top, cidFont);
    top.append(" 0 R] /ToUnicode ");
    appendInt(top, toUnicode);
    top.append(" 0 R >>");
    putObject(type0, top);
}

PdfWriter::PdfWriter(const TextMeasurer& measurer) : d(std::make_unique<Impl>(measurer)) {}

PdfWriter::~PdfWriter() {
    d->discard();
}

void PdfWriter::begin(const QString& path, QSizeF pageSize, const Options& options) {
    if (d->open)
        cancel();
    Impl& s = *d;
    s.path = path;
    s.options = options;
    s.pageWidth = pageSize.width();
    s.pageHeight = pageSize.height();
    s.scale = options.unitsPerPoint > 0 ? options.unitsPerPoint : 1.0;
    s.originX = options.origin.x();
    s.originY = options.origin.y();
    s.offsets.assign(1, 0);
    s.nextObject = kFirstFont + kObjectsPerFont * TextMeasurer::kFontCount;
    s.pageObjects.clear();
    s.pageForms.clear();
    s.shapedUse.clear();
    s.deferred.clear();
    s.page.reset();
    s.pageOpen = false;
    s.objectOffsets.clear();
    s.written = 0;
    s.failed = false;
    s.failure.clear();
    s.stopping = false;
    s.queue.clear();
    for (auto& used : s.usedChars)
        used.assign(0x10000, 0);
    s.deflater = std::make_unique<Deflater>(qBound(1, options.compressionLevel, 9));

    s.file = std::make_unique<QSaveFile>(path);
    errno = 0;
    if (!s.file->open(QIODevice::WriteOnly)) {
        const QString reason = writeFailureReason(path, s.file->errorString(), errno);
        s.file.reset();
        throw PdfWriteError(path, reason);
    }
    s.open = true;
    s.put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n", 15);
    if (options.compressOnWorker)
        s.worker = std::thread([&s] { s.run(); });
}

void PdfWriter::newPage() {
    if (!d->open)
        return;
    d->finishPage();
    if (d->failed)
        d->fail(d->failure);
    d->pageOpen = true;
}

void PdfWriter::text(double x, double baseline, Font font, double size, QStringView text) {
    if (!d->pageOpen)
        newPage();
    if (!text.isEmpty())
        d->appendText(d->page, x, baseline, font, size, text);
}

void PdfWriter::fillRect(const QRectF& rect, double grey) {
    if (!d->pageOpen)
        newPage();
    Content& c = d->page;
    c.endText();
    if (grey != c.fill) {
        appendOperation(c.ops, {grey}, "g\n");
        c.fill = grey;
    }
    appendOperation(
        c.ops, {d->px(rect.left()), d->py(rect.bottom()), rect.width() / d->scale, rect.height() / d->scale},
        "re f\n");
}

void PdfWriter::line(QPointF from, QPointF to, double width) {
    if (!d->pageOpen)
        newPage();
    Content& c = d->page;
    c.endText();
    if (width != c.stroke) {
        appendOperation(c.ops, {width / d->scale}, "w\n");
        c.stroke = width;
    }
    appendOperation(c.ops, {d->px(from.x()), d->py(from.y())}, "m ");
    appendOperation(c.ops, {d->px(to.x()), d->py(to.y())}, "l S\n");
}

void PdfWriter::pageCountText(double x, double baseline, double width, Align align, Font font, double size,
                              const QString& format) {
    if (!d->pageOpen)
        newPage();
    Impl& s = *d;
    const int object = s.allocate();
    const QByteArray name = "N" + QByteArray::number(qsizetype(s.pageForms.size()));
    s.pageForms.push_back({object, name});
    s.deferred.push_back(
        {int(s.pageObjects.size()) + 1, object, x, baseline, width, align, font, size, format});
    s.page.endText();
    s.page.ops.append('/').append(name).append(" Do\n");
}

void PdfWriter::close() {
    Impl& s = *d;
    if (!s.open)
        throw PdfWriteError(s.path, QStringLiteral("o documento não foi iniciado"));
    if (!s.pageOpen && s.pageObjects.empty())
        s.pageOpen = true; // a document has at least one page
    s.finishPage();
    s.stopWorker(false);
    if (s.failed)
        s.fail(s.failure);
    s.finish();
    if (s.failed)
        s.fail(s.failure);
    errno = 0;
    if (!s.file->commit()) {
        const QString reason = writeFailureReason(s.path, s.file->errorString(), errno);
        s.file.reset();
        s.open = false;
        throw PdfWriteError(s.path, reason);
    }
    s.file.reset();
    s.open = false;
}

void PdfWriter::cancel() {
    d->discard();
}

bool PdfWriter::isOpen() const {
    return d->open;
}

int PdfWriter::pageCount() const {
    return int(d->pageObjects.size()) + (d->pageOpen ? 1 : 0);
}

const QString& PdfWriter::path() const {
    return d->path;
}

const TextMeasurer& PdfWriter::measurer() const {
    return d->measurer;
}
