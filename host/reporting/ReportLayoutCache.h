#pragma once
// A report's pages, laid out again from its rows when they are drawn: the layout keeps only where each
// page begins (how the pagination stood before the row that began it) and the last pages asked for,
// so the memory of a report of a million rows is that of its page starts. A page is laid out again
// from its start alone, the same as the first time.
#include "host_export.h"
#include "reporting/ReportLayout.h"

#include <QMutex>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class ReportRowStore;

class HOST_EXPORT ReportLayoutCache {
public:
    struct Page {
        std::vector<ReportLayout::Item> items;
        std::vector<ReportLayout::Piece> pieces; // the rows' lines, in the order of their items
        int firstRow = 0;                        // the row of cells.front()
        std::vector<QStringList> cells;          // the texts of the rows the page shows
        const QStringList& rowCells(int row) const;
    };

    // Lays rows out as they come and keeps where each page begins.
    class Starts : public ReportLayout::Sink {
    public:
        // pageFinished: told each page finished (0-based), as the pagination finishes it.
        Starts(const ReportDefinition& definition, const ReportLayout::Geometry& geometry,
               std::function<void(int page)> pageFinished);
        void setCancelCheck(std::function<bool()> cancelled) {
            m_paginator.setCancelCheck(std::move(cancelled));
        }
        void addRow(const QStringList& cells, const QString& groupKey, const QString& groupTitle);
        void finish();
        int pageCount() const { return m_paginator.pageCount(); }
        // The starts recorded since the last take.
        std::vector<ReportLayout::Paginator::State> take();

        void pageStarted(int) override { m_starts.push_back(m_before); }
        void placed(const ReportLayout::Item&, const ReportLayout::Piece*, const QStringList&) override {}
        void pageFinished(int index) override {
            if (m_pageFinished)
                m_pageFinished(index);
        }

    private:
        bool m_grouping;
        ReportLayout::Paginator m_paginator;
        ReportLayout::Paginator::State m_before;
        std::vector<ReportLayout::Paginator::State> m_starts;
        std::function<void(int)> m_pageFinished;
    };

    ReportLayoutCache(const ReportDefinition& definition, const ReportRowStore& rows);

    // Starts over with new geometry and no page.
    void reset(ReportLayout::Geometry geometry);
    const ReportLayout::Geometry& geometry() const { return m_geometry; }
    void addStarts(std::vector<ReportLayout::Paginator::State> starts);
    // The page laid out from its start and the rows, of the finished pages 0..finished-1 (complete: the
    // report's last rows have come, its totals follow them). Empty for a page that is not finished.
    std::shared_ptr<const Page> page(int index, int finished, bool complete) const;

private:
    std::vector<std::shared_ptr<const Page>> layOut(int index, int finished, bool complete) const;

    const ReportDefinition& m_def;
    const ReportRowStore& m_rows;
    ReportLayout::Geometry m_geometry;
    // A page's start, as small as it goes: a report of a million rows has a hundred thousand pages.
    struct Start {
        double y = 0;
        int page = -1, shade = 0, rows = 0, groupStart = 0;
        int group = -1; // in m_groups
    };
    ReportLayout::Paginator::State state(const Start& start) const;
    std::deque<Start> m_starts;                        // grows without copying what it holds
    std::vector<std::pair<QString, QString>> m_groups; // key and title of each group a page starts in
    mutable QMutex m_mutex; // the pages kept: the preview draws while a worker prints
    mutable std::vector<std::pair<int, std::shared_ptr<const Page>>> m_kept;
};
