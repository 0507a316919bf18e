// Report 1's layout (header with branch and date of emission, bold title, column headers, shaded group
// headers, alternate row shading, elided and wrapped cells, "Página X de Y" footer) on synthetic
// rows, written to PDF by each candidate backend. Each candidate runs in a child process of its own,
// so every peak memory figure is that candidate's alone; times are also given against a floor
// measured in the same run: generating the rows' texts and measuring them, nothing drawn.
//   pdf_backends [rows] [candidate...]      (default 100000 rows, every candidate)
#include "BenchSupport.h"
#include "core/Errors.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportDocument.h"
#include "reporting/export/ReportExport.h"
#include "reporting/pdf/PdfWriter.h"
#include "reporting/text/TextMeasurer.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>
#ifdef ERP_BENCH_LIBHARU
#include <hpdf.h>
#endif
#ifdef ERP_BENCH_CAIRO
#include <cairo-pdf.h>
#include <cairo.h>
#endif

namespace {

using Font = TextMeasurer::Font;
constexpr int kColumns = 7;
constexpr double kSize = 80;       // 8 pt in tenths of a point
constexpr double kTitleSize = 130; // the title is 5 pt larger, bold
constexpr double kCellPadding = 20, kRowPadding = 12;
constexpr double kPageW = 841.89, kPageH = 595.28, kMargin = 28.35; // A4 landscape, 10 mm margins
const double kColumnWeight[kColumns] = {16, 50, 36, 26, 46, 30, 8};
const bool kWraps[kColumns] = {false, false, false, false, true, false, false};
const char* const kHeaders[kColumns] = {
    "Código", "Nome / Razão Social", "Nome Fantasia", "CPF / CNPJ", "Endereço", "Município", "UF"};
const char* const kFields[kColumns] = {"CDCLIENTE",  "NMRAZSOCCLIE", "NMFANTCLIE", "NRINSJURCLIE",
                                       "DSENDECLIE", "NMMUNICIPIO",  "SGESTADO"};
const QString kTitle = QStringLiteral("Clientes por Ramo de Atividade");

double cpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Synthetic clients, the same for every candidate: Portuguese names with accents, long company
// names (elided), addresses that sometimes take two lines, a new activity every 200 to 400 rows.
struct Row {
    std::array<QString, kColumns> cells;
    int group = 0;
    QString groupTitle;
};

class Rows {
public:
    explicit Rows(int count) : m_count(count) {}
    bool next(Row& row) {
        if (m_index >= m_count)
            return false;
        if (m_index == m_groupEnd) {
            ++m_group;
            m_groupEnd = m_index + 200 + int(m_rng() % 200);
            m_groupTitle = QStringLiteral("Ramo de Atividade: %1 %2")
                               .arg(pick(kActivities), QString::number(m_group).rightJustified(3, u'0'));
        }
        ++m_index;
        const QString first = pick(kFirst), last = pick(kLast), last2 = pick(kLast);
        const bool company = m_rng() % 3 == 0;
        row.group = m_group;
        row.groupTitle = m_groupTitle;
        row.cells[0] = QString::number(m_index).rightJustified(6, u'0');
        row.cells[1] = company ? QStringLiteral("%1 %2 Comércio de %3 e Serviços Ltda.")
                                     .arg(last, last2, pick(kActivities).toLower())
                               : QStringLiteral("%1 %2 %3").arg(first, last, last2);
        row.cells[2] = company ? QStringLiteral("%1 & %2").arg(last, last2) : first;
        row.cells[3] =
            company ? QStringLiteral("%1.%2.%3/0001-%4").arg(digits(2), digits(3), digits(3), digits(2))
                    : QStringLiteral("%1.%2.%3-%4").arg(digits(3), digits(3), digits(3), digits(2));
        QString address = QStringLiteral("%1 %2 %3, %4")
                              .arg(pick(kStreets), first, last, QString::number(1 + m_rng() % 4000));
        if (m_rng() % 4 == 0)
            address += QStringLiteral(", apto. %1, Bloco %2 – Conjunto Residencial São João")
                           .arg(1 + m_rng() % 300)
                           .arg(QChar(char16_t(u'A' + m_rng() % 6)));
        row.cells[4] = address;
        row.cells[5] = pick(kCities);
        row.cells[6] = pick(kStates);
        return true;
    }

private:
    template <size_t N> QString pick(const char* const (&list)[N]) {
        return QString::fromUtf8(list[m_rng() % N]);
    }
    QString digits(int n) { return QString::number(m_rng() % int(std::pow(10, n))).rightJustified(n, u'0'); }
    static constexpr const char* kFirst[] = {"João", "Maria",   "José", "Ângela", "Conceição", "Sebastião",
                                             "Íris", "Antônio", "Luís", "Lúcia",  "Inês",      "Estêvão"};
    static constexpr const char* kLast[] = {"Gonçalves", "Araújo",   "Magalhães", "Simões",
                                            "Conceição", "Brandão",  "Damásio",   "Falcão",
                                            "Guimarães", "Assunção", "Lemos",     "Peçanha"};
    static constexpr const char* kStreets[] = {"Rua",   "Avenida",    "Travessa",
                                               "Praça", "Rua Doutor", "Alameda"};
    static constexpr const char* kCities[] = {"São Paulo",
                                              "Goiânia",
                                              "Maceió",
                                              "Florianópolis",
                                              "Belém",
                                              "São José dos Campos",
                                              "Vitória da Conquista",
                                              "Niterói"};
    static constexpr const char* kStates[] = {"SP", "GO", "AL", "SC", "PA", "BA", "RJ", "MG"};
    static constexpr const char* kActivities[] = {
        "Açougue", "Padaria e Confeitaria", "Farmácia", "Construção Civil", "Óptica", "Autopeças"};
    std::mt19937 m_rng{20261208};
    int m_count, m_index = 0, m_group = 0, m_groupEnd = 0;
    QString m_groupTitle;
};

// What a backend must do; the layout below calls it in report units (tenths of a point from the
// top left of the printable area).
class Sink {
public:
    virtual ~Sink() = default;
    virtual void newPage() = 0;
    virtual void text(double x, double baseline, Font font, double size, const QString& text) = 0;
    virtual void fill(const QRectF& rect, double grey) = 0;
    virtual void line(QPointF from, QPointF to, double width) = 0;
    // "Página X de Y", right aligned at right; pages is 0 when the backend defers the count.
    virtual void pageCount(double right, double baseline, int page, int pages) = 0;
    virtual bool needsPageCount() const { return false; }
    virtual void finish() {}
};

class CountingSink : public Sink {
public:
    int pages = 0;
    void newPage() override { ++pages; }
    void text(double, double, Font, double, const QString&) override {}
    void fill(const QRectF&, double) override {}
    void line(QPointF, QPointF, double) override {}
    void pageCount(double, double, int, int) override {}
};

// Report 1's layout, streamed: a page is drawn as its rows arrive, measured once with the tables.
class Layout {
public:
    explicit Layout(Sink& sink) : m(TextMeasurer::shared()), s(sink) {
        width = (kPageW - 2 * kMargin) * 10;
        height = (kPageH - 2 * kMargin) * 10;
        line = m.lineSpacing(kSize);
        lineHeight = line + 2 * kRowPadding;
        groupHeight = m.lineSpacing(kSize, Font::Bold) + 3 * kRowPadding;
        headerHeight =
            line + m.lineSpacing(kTitleSize, Font::Bold) + 4 * kRowPadding + lineHeight + 2 * kRowPadding;
        footerHeight = line + 4 * kRowPadding;
        double total = 0;
        for (double w : kColumnWeight)
            total += w;
        double x = 0;
        for (int c = 0; c < kColumns; ++c) {
            columnX[c] = x;
            columnW[c] = width * kColumnWeight[c] / total;
            x += columnW[c];
        }
    }

    int run(int rowCount, int pages) {
        m_pages = pages;
        Rows rows(rowCount);
        Row row;
        const double top = headerHeight, bottom = height - footerHeight;
        int page = 0, shade = 0, group = -1, groupRows = 0;
        QString groupTitle;
        double y = top;
        auto startPage = [&] {
            if (page > 0)
                footer(page);
            s.newPage();
            ++page;
            header();
            y = top;
            shade = 0;
        };
        auto fits = [&](double h) { return y + h <= bottom + 0.01; };
        auto groupFooter = [&](const QString& label, int count, bool total) {
            if (!fits(groupHeight))
                startPage();
            s.line(QPointF(0, y + kRowPadding / 2), QPointF(width, y + kRowPadding / 2), total ? 6 : 3);
            const QString text = QStringLiteral("%1: %2").arg(label).arg(count);
            const Font f = total ? Font::Bold : Font::Regular;
            s.text(width - kCellPadding - m.width(text, kSize, f),
                   baseline(y + kRowPadding, groupHeight - kRowPadding, f), f, kSize, text);
            y += groupHeight;
        };
        auto groupHeader = [&](bool continued) {
            s.fill(QRectF(0, y + kRowPadding, width, groupHeight - kRowPadding), 0xdd / 255.0);
            const QString text = continued ? groupTitle + QStringLiteral(" (continuação)") : groupTitle;
            s.text(kCellPadding, baseline(y + kRowPadding, groupHeight - kRowPadding, Font::Bold), Font::Bold,
                   kSize, m.elide(text, kSize, width - 2 * kCellPadding, Font::Bold));
            y += groupHeight;
        };

        startPage();
        int n = 0;
        std::array<std::vector<TextMeasurer::Line>, kColumns> wrapped;
        while (rows.next(row)) {
            ++n;
            double h = lineHeight;
            for (int c = 0; c < kColumns; ++c) {
                if (!kWraps[c])
                    continue;
                wrapped[c] = m.wrap(row.cells[c], kSize, columnW[c] - 2 * kCellPadding);
                h = std::max(h, double(wrapped[c].size()) * line + 2 * kRowPadding);
            }
            if (row.group != group) {
                if (group >= 0)
                    groupFooter(QStringLiteral("Clientes no ramo"), groupRows, false);
                group = row.group;
                groupTitle = row.groupTitle;
                groupRows = 0;
                if (!fits(groupHeight + h))
                    startPage();
                groupHeader(false);
            } else if (!fits(h)) {
                startPage();
                groupHeader(true);
            }
            ++groupRows;
            if (shade++ % 2 == 1)
                s.fill(QRectF(0, y, width, h), 0xf0 / 255.0);
            for (int c = 0; c < kColumns; ++c) {
                const double x = columnX[c] + kCellPadding, w = columnW[c] - 2 * kCellPadding;
                if (kWraps[c]) {
                    double ly = y + kRowPadding;
                    for (const auto& l : wrapped[c]) {
                        s.text(x, baseline(ly, line, Font::Regular), Font::Regular, kSize,
                               row.cells[c].mid(l.start, l.length).trimmed());
                        ly += line;
                    }
                } else {
                    const QString text = m.elide(row.cells[c], kSize, w);
                    const double tx = c == kColumns - 1 ? x + (w - m.width(text, kSize)) / 2 : x;
                    s.text(tx, baseline(y + kRowPadding, line, Font::Regular), Font::Regular, kSize, text);
                }
            }
            y += h;
        }
        if (group >= 0)
            groupFooter(QStringLiteral("Clientes no ramo"), groupRows, false);
        groupFooter(QStringLiteral("Total de clientes"), n, true);
        footer(page);
        s.finish();
        return page;
    }

private:
    double baseline(double top, double h, Font f) const {
        return top + (h - m.ascent(kSize, f) - m.descent(kSize, f)) / 2 + m.ascent(kSize, f);
    }
    void header() {
        const QString branch = QStringLiteral("Filial: 001 – Matriz São Paulo");
        const QString emitted = QStringLiteral("Emissão: 08/12/2026 10:30");
        const double b = baseline(0, line, Font::Regular);
        s.text(0, b, Font::Regular, kSize, branch);
        s.text(width - m.width(emitted, kSize), b, Font::Regular, kSize, emitted);
        const double titleLine = m.lineSpacing(kTitleSize, Font::Bold);
        const QString title = m.elide(kTitle, kTitleSize, width, Font::Bold);
        s.text((width - m.width(title, kTitleSize, Font::Bold)) / 2,
               line + kRowPadding + m.ascent(kTitleSize, Font::Bold), Font::Bold, kTitleSize, title);
        double y = line + kRowPadding + titleLine + 2 * kRowPadding;
        s.line(QPointF(0, y), QPointF(width, y), 8);
        y += kRowPadding;
        for (int c = 0; c < kColumns; ++c) {
            const double w = columnW[c] - 2 * kCellPadding;
            const QString text = m.elide(QString::fromUtf8(kHeaders[c]), kSize, w, Font::Bold);
            const double x = columnX[c] + kCellPadding +
                             (c == kColumns - 1 ? (w - m.width(text, kSize, Font::Bold)) / 2 : 0);
            s.text(x, baseline(y, lineHeight, Font::Bold), Font::Bold, kSize, text);
        }
        y += lineHeight + kRowPadding / 2;
        s.line(QPointF(0, y), QPointF(width, y), 4);
    }
    void footer(int page) {
        const double y = height - footerHeight + kRowPadding;
        s.line(QPointF(0, y), QPointF(width, y), 4);
        const double b = baseline(y + kRowPadding, line, Font::Regular);
        s.pageCount(width, b, page, m_pages);
        // Room for the widest page count a report can have, so the title does not wait for it.
        const double room = width - m.width(QStringLiteral("Página 00000 de 00000"), kSize) - 200;
        s.text(0, b, Font::Regular, kSize, m.elide(kTitle, kSize, room));
    }

    const TextMeasurer& m;
    Sink& s;
    int m_pages = 0;
    double width, height, line, lineHeight, groupHeight, headerHeight, footerHeight;
    double columnX[kColumns], columnW[kColumns];
};

int layoutPages(int rows) {
    CountingSink counter;
    return Layout(counter).run(rows, 0);
}

QString pageText(int page, int pages) {
    return QStringLiteral("Página %1 de %2").arg(page).arg(pages);
}

// (d) our writer.
class OurSink : public Sink {
public:
    OurSink(const QString& path, bool worker, int level) {
        PdfWriter::Options o;
        o.unitsPerPoint = 10;
        o.origin = QPointF(kMargin, kMargin);
        o.compressOnWorker = worker;
        if (level > 0)
            o.compressionLevel = level;
        o.title = kTitle;
        w.begin(path, QSizeF(kPageW, kPageH), o);
    }
    void newPage() override { w.newPage(); }
    void text(double x, double b, Font f, double size, const QString& t) override {
        w.text(x, b, f, size, t);
    }
    void fill(const QRectF& r, double grey) override { w.fillRect(r, grey); }
    void line(QPointF a, QPointF b, double width) override { w.line(a, b, width); }
    void pageCount(double right, double b, int, int) override {
        w.pageCountText(0, b, right, PdfWriter::Align::Right, Font::Regular, kSize,
                        QStringLiteral("Página %1 de %2"));
    }
    void finish() override { w.close(); }

private:
    PdfWriter w;
};

// (a') QPainter on QPdfWriter drawing the same streamed layout at points, without clip or shaping
// boxes: the best QPainter can do.
class PainterSink : public Sink {
public:
    explicit PainterSink(const QString& path) : writer(path) {
        writer.setResolution(600);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        writer.setTitle(kTitle);
        for (Font f : {Font::Regular, Font::Bold}) {
            fonts[f] = f == Font::Bold ? ReportFonts::bold(8) : ReportFonts::detail(8);
            fonts[f].setKerning(false); // as the tables measure
        }
        title = fonts[Font::Bold];
        title.setPixelSize(int(kTitleSize));
    }
    bool needsPageCount() const override { return true; }
    void newPage() override {
        if (started)
            writer.newPage();
        else
            p.begin(&writer);
        started = true;
        ReportDocument::prepare(p, writer, false, writer.pageLayout());
    }
    void text(double x, double b, Font f, double size, const QString& t) override {
        p.setFont(size == kSize ? fonts[f] : title);
        p.drawText(QPointF(x, b), t);
    }
    void fill(const QRectF& r, double grey) override { p.fillRect(r, QColor::fromRgbF(grey, grey, grey)); }
    void line(QPointF a, QPointF b, double width) override {
        p.setPen(QPen(Qt::black, width));
        p.drawLine(a, b);
    }
    void pageCount(double right, double b, int page, int pages) override {
        const QString t = pageText(page, pages);
        text(right - TextMeasurer::shared().width(t, kSize), b, Font::Regular, kSize, t);
    }
    void finish() override { p.end(); }

private:
    QPdfWriter writer;
    QPainter p;
    bool started = false;
    QFont fonts[2], title;
};

#ifdef ERP_BENCH_LIBHARU
// (b) libharu: holds the whole document until saved; the page count is drawn on every page at the end.
class HaruSink : public Sink {
public:
    explicit HaruSink(const QString& path) : path(path.toLocal8Bit()) {
        pdf = HPDF_New(nullptr, nullptr);
        HPDF_UseUTFEncodings(pdf);
        HPDF_SetCompressionMode(pdf, HPDF_COMP_ALL);
        const TextMeasurer& m = TextMeasurer::shared();
        for (Font f : {Font::Regular, Font::Bold}) {
            const char* name =
                HPDF_LoadTTFontFromFile(pdf, m.font(f).path.toLocal8Bit().constData(), HPDF_TRUE);
            fonts[f] = HPDF_GetFont(pdf, name, "UTF-8");
        }
    }
    ~HaruSink() override { HPDF_Free(pdf); }
    void newPage() override {
        endText();
        page = HPDF_AddPage(pdf);
        HPDF_Page_SetWidth(page, kPageW);
        HPDF_Page_SetHeight(page, kPageH);
        pages.push_back(page);
        font = -1;
    }
    void text(double x, double b, Font f, double size, const QString& t) override {
        if (!inText) {
            HPDF_Page_BeginText(page);
            inText = true;
        }
        if (font != int(f) || size != fontSize) {
            HPDF_Page_SetFontAndSize(page, fonts[f], size / 10);
            font = f;
            fontSize = size;
        }
        HPDF_Page_TextOut(page, px(x), py(b), t.toUtf8().constData());
    }
    void fill(const QRectF& r, double grey) override {
        endText();
        HPDF_Page_SetGrayFill(page, grey);
        HPDF_Page_Rectangle(page, px(r.left()), py(r.bottom()), r.width() / 10, r.height() / 10);
        HPDF_Page_Fill(page);
        HPDF_Page_SetGrayFill(page, 0);
    }
    void line(QPointF a, QPointF b, double width) override {
        endText();
        HPDF_Page_SetLineWidth(page, width / 10);
        HPDF_Page_MoveTo(page, px(a.x()), py(a.y()));
        HPDF_Page_LineTo(page, px(b.x()), py(b.y()));
        HPDF_Page_Stroke(page);
    }
    void pageCount(double right, double b, int page, int) override { deferred.push_back({right, b}); }
    void finish() override {
        endText();
        const int total = int(pages.size());
        for (int i = 0; i < total; ++i) {
            page = pages[size_t(i)];
            font = -1;
            const QString t = pageText(i + 1, total);
            text(deferred[size_t(i)].first - TextMeasurer::shared().width(t, kSize),
                 deferred[size_t(i)].second, Font::Regular, kSize, t);
            endText();
        }
        if (HPDF_SaveToFile(pdf, path.constData()) != HPDF_OK)
            throw EHostError(QStringLiteral("libharu: %1").arg(HPDF_GetError(pdf), 0, 16));
    }

private:
    static double px(double x) { return kMargin + x / 10; }
    static double py(double y) { return kPageH - kMargin - y / 10; }
    void endText() {
        if (inText)
            HPDF_Page_EndText(page);
        inText = false;
    }
    QByteArray path;
    HPDF_Doc pdf;
    HPDF_Font fonts[2];
    HPDF_Page page = nullptr;
    std::vector<HPDF_Page> pages;
    std::vector<std::pair<double, double>> deferred;
    bool inText = false;
    int font = -1;
    double fontSize = 0;
};
#endif

#ifdef ERP_BENCH_CAIRO
// (c) cairo's PDF surface, toy text API (fontconfig finds Liberation Sans): pages stream out, so the
// page count comes from a layout pass made first.
class CairoSink : public Sink {
public:
    explicit CairoSink(const QString& path) {
        surface = cairo_pdf_surface_create(path.toLocal8Bit().constData(), kPageW, kPageH);
        cr = cairo_create(surface);
        cairo_translate(cr, kMargin, kMargin);
        cairo_scale(cr, 0.1, 0.1);
        for (Font f : {Font::Regular, Font::Bold})
            faces[f] = cairo_toy_font_face_create("Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                                                  f == Font::Bold ? CAIRO_FONT_WEIGHT_BOLD
                                                                  : CAIRO_FONT_WEIGHT_NORMAL);
    }
    ~CairoSink() override {
        for (auto* face : faces)
            cairo_font_face_destroy(face);
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    bool needsPageCount() const override { return true; }
    void newPage() override {
        if (started)
            cairo_show_page(cr);
        started = true;
    }
    void text(double x, double b, Font f, double size, const QString& t) override {
        cairo_set_font_face(cr, faces[f]);
        cairo_set_font_size(cr, size);
        cairo_move_to(cr, x, b);
        cairo_show_text(cr, t.toUtf8().constData());
    }
    void fill(const QRectF& r, double grey) override {
        cairo_set_source_rgb(cr, grey, grey, grey);
        cairo_rectangle(cr, r.x(), r.y(), r.width(), r.height());
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
    }
    void line(QPointF a, QPointF b, double width) override {
        cairo_set_line_width(cr, width);
        cairo_move_to(cr, a.x(), a.y());
        cairo_line_to(cr, b.x(), b.y());
        cairo_stroke(cr);
    }
    void pageCount(double right, double b, int page, int pages) override {
        const QString t = pageText(page, pages);
        text(right - TextMeasurer::shared().width(t, kSize), b, Font::Regular, kSize, t);
    }
    void finish() override {
        cairo_show_page(cr);
        cairo_surface_finish(surface);
        if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
            throw EHostError(QString::fromUtf8(cairo_status_to_string(cairo_surface_status(surface))));
    }

private:
    cairo_surface_t* surface;
    cairo_t* cr;
    cairo_font_face_t* faces[2];
    bool started = false;
};
#endif

// (a) the preview's export: every row held in a ReportDocument, written through our PDF writer.
int currentRoute(int rowCount, const QString& path) {
    ReportDefinition def = ReportDefinition::load(
        QStringLiteral(ERP_SOURCE_DIR "/reports/QMT318/1_clientes_por_ramo_de_atividade.json"));
    ReportRows rows;
    for (const char* f : kFields)
        rows.fields << QString::fromLatin1(f);
    Rows source(rowCount);
    Row row;
    while (source.next(row)) {
        rows.cells.push_back(QStringList(row.cells.begin(), row.cells.end()));
        rows.groupKeys.push_back(QString::number(row.group));
        rows.groupTitles.push_back(row.groupTitle);
    }
    ReportDocument doc(std::move(def), std::move(rows), QStringLiteral("001 – Matriz São Paulo"),
                       QDateTime(QDate(2026, 12, 8), QTime(10, 30)));
    ReportExport::write(doc, path, ReportExport::Format::Pdf);
    return doc.pageCount();
}

// The floor: the rows' texts generated and measured, nothing laid out or drawn.
int floorRun(int rowCount) {
    const TextMeasurer& m = TextMeasurer::shared();
    Rows rows(rowCount);
    Row row;
    double sum = 0;
    while (rows.next(row))
        for (const QString& cell : row.cells)
            sum += m.width(cell, kSize);
    return sum > 0 ? 0 : -1;
}

const char* const kCandidates[] = {"floor",       "document-export", "qpainter-layout",
                                   "libharu",     "cairo",           "ours-inline",
                                   "ours-worker", "ours-worker-l1",  "ours-worker-l6"};

// In the child: one candidate, one line of figures.
int runCandidate(const QString& name, int rows, const QString& path) {
    QElapsedTimer t;
    t.start();
    TextMeasurer::shared(); // loaded once per process, like the fonts of any backend
    if (name == u"floor")
        std::fprintf(stderr, "fonts loaded into the width tables in %.1f ms\n", t.nsecsElapsed() / 1e6);
    t.restart();
    const double cpu0 = cpuSeconds(RUSAGE_SELF), main0 = cpuSeconds(RUSAGE_THREAD);
    int pages = 0;
    auto drawWith = [&](Sink& sink) {
        const int known = sink.needsPageCount() ? layoutPages(rows) : 0;
        pages = Layout(sink).run(rows, known);
    };
    if (name == u"floor") {
        pages = floorRun(rows);
    } else if (name == u"document-export") {
        pages = currentRoute(rows, path);
    } else if (name == u"qpainter-layout") {
        PainterSink sink(path);
        drawWith(sink);
    } else if (name.startsWith(u"ours-")) {
        // ours-inline and ours-worker at the writer's default level, ours-worker-lN at level N
        const int level = name.startsWith(u"ours-worker-l") ? name.back().digitValue() : 0;
        OurSink sink(path, name != u"ours-inline", level);
        drawWith(sink);
#ifdef ERP_BENCH_LIBHARU
    } else if (name == u"libharu") {
        HaruSink sink(path);
        drawWith(sink);
#endif
#ifdef ERP_BENCH_CAIRO
    } else if (name == u"cairo") {
        CairoSink sink(path);
        drawWith(sink);
#endif
    } else {
        return 3; // not built
    }
    const double seconds = t.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds(RUSAGE_SELF) - cpu0, main = cpuSeconds(RUSAGE_THREAD) - main0;
    std::printf("%.3f %d %lld %ld %.3f %.3f\n", seconds, pages, qlonglong(QFileInfo(path).size()), peakKb(),
                cpu, main);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && std::strcmp(argv[1], "--candidate") == 0 && argc == 5) {
        QApplication app(argc, argv);
        try {
            return runCandidate(QString::fromLatin1(argv[2]), std::atoi(argv[3]),
                                QString::fromLocal8Bit(argv[4]));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
    }
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::vector<std::string> chosen;
    for (int i = 2; i < argc; ++i)
        chosen.push_back(argv[i]);
    if (chosen.empty())
        chosen.assign(std::begin(kCandidates), std::end(kCandidates));
    if (chosen.front() != "floor")
        chosen.insert(chosen.begin(), "floor");
    QTemporaryDir dir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) // or every child complains
        qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
    const QByteArray keep = qgetenv("PDF_BACKENDS_KEEP"); // a folder to keep the files in
    const QString folder = keep.isEmpty() ? dir.path() : QString::fromLocal8Bit(keep);
    std::printf("%d rows, %d columns; each candidate in a child process\n", rows, kColumns);
    // CPU seconds say what the wall clock hides on a busy machine: all threads, and the drawing
    // thread alone (the time it would take with a core free for the worker).
    std::printf("%-18s %9s %8s %9s %9s %7s %10s %9s\n", "candidate", "seconds", "x floor", "cpu s", "main s",
                "pages", "file MB", "peak MB");
    double floor = 0;
    for (const std::string& name : chosen) {
        const QString path = folder + QStringLiteral("/%1.pdf").arg(QString::fromStdString(name));
        const std::string command = "'/proc/" + std::to_string(getpid()) + "/exe' --candidate " + name + " " +
                                    std::to_string(rows) + " '" + path.toStdString() + "'";
        FILE* child = popen(("exec " + command).c_str(), "r");
        char out[256] = {};
        const bool read = child && std::fgets(out, sizeof out, child);
        const int status = child ? pclose(child) : -1;
        double seconds = 0;
        int pages = 0;
        long long bytes = 0;
        long peak = 0;
        double cpu = 0, main = 0;
        if (!read || status != 0 ||
            std::sscanf(out, "%lf %d %lld %ld %lf %lf", &seconds, &pages, &bytes, &peak, &cpu, &main) != 6) {
            std::printf("%-18s %s\n", name.c_str(), status == 3 << 8 ? "not built" : "failed");
            continue;
        }
        if (name == "floor")
            floor = seconds;
        std::printf("%-18s %9.3f %8.2f %9.3f %9.3f %7d %10.2f %9.1f\n", name.c_str(), seconds,
                    floor > 0 ? seconds / floor : 0, cpu, main, pages, bytes / 1048576.0, peak / 1024.0);
        std::fflush(stdout);
    }
    return 0;
}
