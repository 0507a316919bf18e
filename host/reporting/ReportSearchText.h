#pragma once
// What a page says, as a search reads it: its header and footer, each group caption and count, and
// each cell of a row as one text however many lines it wraps over (with the spaces at which it
// wraps), so that a search finds a name that begins on one line and ends on the next. Each text
// knows where its characters are drawn.
#include "host_export.h"
#include "reporting/ReportDocument.h"

#include <QRectF>
#include <QString>
#include <vector>

class HOST_EXPORT ReportSearchText {
public:
    // text.mid(from, length) is drawn as run (a line of a cell, a caption).
    struct Part {
        int from = 0, length = 0;
        ReportDocument::TextRun run;
    };
    struct Text {
        QString text;
        QString label; // the column's header, "Cabeçalho" or "Rodapé"; empty for captions and counts
        int owner = 0; // the texts of one row of the page, of its header or of its footer share it
        std::vector<Part> parts;
        // Where text.mid(from, length) is drawn, in layout units: a box on each line it covers.
        std::vector<QRectF> boxes(int from, int length) const;
    };

    // The texts of page index (0-based), in the order the page draws them.
    static std::vector<Text> page(const ReportDocument& document, int index);
};
