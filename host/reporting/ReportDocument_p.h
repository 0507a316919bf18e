#pragma once
// The rows behind a report document, as the columns show them. Outside the host's API: the
// product reads a document through its pages; checks that want the rows include this header.
#include "reporting/ReportDocument.h"

struct ReportDocumentRows {
    // The display text of a row's column of that field (empty when the report has no such column).
    static QString cell(const ReportDocument& document, int row, const QString& field) {
        const ReportRows& rows = document.m_rows;
        const int col = int(rows.fields.indexOf(field.toUpper()));
        if (col < 0 || row < 0 || row >= document.rowCount())
            return {};
        return rows.cells[size_t(row)].value(col);
    }

    // The lines that a row's column of that field is drawn in, as drawn: an elided one ends in "…".
    static QStringList printed(const ReportDocument& document, int row, const QString& field) {
        const int col = int(document.m_rows.fields.indexOf(field.toUpper()));
        QStringList lines;
        if (col < 0 || row < 0 || row >= document.rowCount())
            return lines;
        const QString& cell = document.m_rows.cells[size_t(row)][col];
        for (const ReportDocument::Page& page : document.m_pages) {
            size_t piece = 0;
            for (const ReportLayout::Item& item : page.items) {
                if (item.kind == ReportLayout::ItemKind::Row && item.row == row)
                    for (int i = 0; i < item.pieces; ++i) {
                        const ReportLayout::Piece& p = page.pieces[piece + size_t(i)];
                        if (p.column == col)
                            lines << cell.mid(p.start, p.length) +
                                         (p.elided ? QStringLiteral("\u2026") : QString());
                    }
                piece += size_t(item.pieces);
            }
        }
        return lines;
    }

    // The caption of the group a row is in (empty when the report does not group).
    static QString groupTitle(const ReportDocument& document, int row) {
        const std::vector<QString>& titles = document.m_rows.groupTitles;
        return row >= 0 && size_t(row) < titles.size() ? titles[size_t(row)] : QString();
    }

    // The groups, counted as the pages show them (0 when the report does not group).
    static int groupCount(const ReportDocument& document) {
        if (!document.m_def.group.enabled())
            return 0;
        const std::vector<QString>& keys = document.m_rows.groupKeys;
        int groups = 0;
        for (size_t i = 0; i < keys.size(); ++i)
            if (i == 0 || keys[i] != keys[i - 1])
                ++groups;
        return groups;
    }
};
