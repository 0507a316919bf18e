#pragma once
// The rows behind a report document, as the columns show them. Outside the host's API: the
// product reads a document through its pages; checks that want the rows include this header.
#include "reporting/ReportDocument.h"

struct ReportDocumentRows {
    static int column(const ReportDocument& document, const QString& field) {
        const QList<ReportColumn>& columns = document.definition().columns;
        for (int c = 0; c < columns.size(); ++c)
            if (columns[c].field.compare(field, Qt::CaseInsensitive) == 0)
                return c;
        return -1;
    }

    // The display text of a row's column of that field (empty when the report has no such column).
    static QString cell(const ReportDocument& document, int row, const QString& field) {
        const int col = column(document, field);
        if (col < 0 || row < 0 || row >= document.rowCount())
            return {};
        return document.m_rows->row(row).cells.value(col);
    }

    // The lines that a row's column of that field is drawn in, as drawn: an elided one ends in "…".
    static QStringList printed(const ReportDocument& document, int row, const QString& field) {
        const int col = column(document, field);
        QStringList lines;
        if (col < 0 || row < 0 || row >= document.rowCount())
            return lines;
        for (int p = 0; p < document.pageCount(); ++p) {
            const std::shared_ptr<const ReportLayoutCache::Page> page = document.page(p);
            size_t piece = 0;
            for (const ReportLayout::Item& item : page->items) {
                if (item.kind == ReportLayout::ItemKind::Row && item.row == row)
                    for (int i = 0; i < item.pieces; ++i) {
                        const ReportLayout::Piece& pc = page->pieces[piece + size_t(i)];
                        if (pc.column == col)
                            lines << page->rowCells(row)[col].mid(pc.start, pc.length) +
                                         (pc.elided ? QStringLiteral("\u2026") : QString());
                    }
                piece += size_t(item.pieces);
            }
        }
        return lines;
    }

    // The caption of the group a row is in (empty when the report does not group).
    static QString groupTitle(const ReportDocument& document, int row) {
        return row >= 0 && row < document.rowCount() ? document.m_rows->row(row).groupTitle : QString();
    }

    // The groups, counted as the pages show them (0 when the report does not group).
    static int groupCount(const ReportDocument& document) {
        if (!document.m_def.group.enabled())
            return 0;
        int groups = 0;
        QString last;
        document.forEachRow([&](const ReportRowStore::Row& row) {
            if (groups == 0 || row.groupKey != last)
                ++groups;
            last = row.groupKey;
            return true;
        });
        return groups;
    }
};
