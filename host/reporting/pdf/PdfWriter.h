#pragma once
// A PDF writer made for reports: pages go to the file as they are finished (the document is never
// held), each cell is one text operation in an embedded TrueType font (CIDFontType2, Identity-H,
// with widths and a Unicode map, so text can be searched and copied), and page contents are
// compressed on a worker thread behind a short queue. The file appears only when close() succeeds;
// a run that fails or is cancelled leaves nothing behind.
//
// A cell the report font does not draw alone (see TextMeasurer) is drawn as it was shaped: glyphs
// from the fallback faces, each embedded as a subset, and the cell marked with the text it reads
// as (/ActualText), since a ligature or a joined Arabic letter is not one character.
//
// Coordinates are the caller's: Options::unitsPerPoint and Options::origin place them on the page,
// y growing downwards as with QPainter. Text is measured with the same TextMeasurer the writer
// draws with, so what was laid out is what is drawn.
#include "host_export.h"
#include "reporting/text/TextMeasurer.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <memory>
#include <stdexcept>

class HOST_EXPORT PdfWriteError : public std::runtime_error {
public:
    PdfWriteError(const QString& path, const QString& reason);
    const QString& path() const noexcept { return m_path; }
    const QString& message() const noexcept { return m_message; }

private:
    static QString describe(const QString& path, const QString& reason);
    QString m_path, m_message;
};

class HOST_EXPORT PdfWriter {
public:
    using Font = TextMeasurer::Font;
    enum class Align { Left, Center, Right };

    struct Options {
        double unitsPerPoint = 1.0; // 10 for the report's tenths of a point
        QPointF origin;             // the caller's (0, 0), in points from the top left of the page
        bool compress = true;
        bool compressOnWorker = true; // deflate and write on a second thread
        // zlib's 1 (fast) .. 9 (small). On report pages 4 takes 0.55 of the time of zlib's default
        // (6) for a file 4% larger.
        int compressionLevel = 4;
        int queuedPages = 4; // pages waiting for the worker before newPage() waits for it
        QString title, creator;
    };

    explicit PdfWriter(const TextMeasurer& measurer = TextMeasurer::shared());
    ~PdfWriter(); // a writer that was not closed is cancelled
    PdfWriter(const PdfWriter&) = delete;
    PdfWriter& operator=(const PdfWriter&) = delete;

    // Starts a document of pages of pageSize points. Throws PdfWriteError naming the file.
    void begin(const QString& path, QSizeF pageSize, const Options& options);
    void begin(const QString& path, QSizeF pageSize) { begin(path, pageSize, Options()); }
    // Finishes the current page (if any) and starts the next. Throws PdfWriteError when writing
    // the finished pages failed.
    void newPage();

    // One text operation: the text starting at x on the baseline y, not clipped. The text is held to
    // the report's rule first (cellText(): NFC, controls other than TAB, LF and CR dropped); TAB,
    // LF and CR draw as a space.
    void text(double x, double baseline, Font font, double size, QStringView text);
    // grey: 0 black .. 1 white.
    void fillRect(const QRectF& rect, double grey);
    void line(QPointF from, QPointF to, double width);
    // Text that needs the page count, placed in [x, x + width]: in format, %1 is this page's
    // number and %2 the number of pages. Drawn when the document is closed (one small form per
    // use, so the page itself is already written).
    void pageCountText(double x, double baseline, double width, Align align, Font font, double size,
                       const QString& format);

    // Finishes the document and puts the file in place. Throws PdfWriteError naming the file.
    void close();
    // Drops the document: no file is left, not even a temporary one.
    void cancel();

    bool isOpen() const;
    int pageCount() const;
    const QString& path() const;
    const TextMeasurer& measurer() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
