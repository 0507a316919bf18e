#include "reporting/ReportLayoutCache.h"

#include "reporting/ReportRowStore.h"

namespace {

constexpr size_t kKeptPages = 12; // more than a screen shows at the smallest zoom

// What the pagination places on one page; the page's end stops it.
class PageCollector : public ReportLayout::Sink {
public:
    struct Done {};
    PageCollector(int index, ReportLayoutCache::Page& page) : m_index(index), m_page(page) {}
    void pageStarted(int index) override { m_on = index == m_index; }
    void placed(const ReportLayout::Item& item, const ReportLayout::Piece* pieces,
                const QStringList& cells) override {
        if (!m_on)
            return;
        m_page.items.push_back(item);
        m_page.pieces.insert(m_page.pieces.end(), pieces, pieces + item.pieces);
        if (item.kind != ReportLayout::ItemKind::Row)
            return;
        if (m_page.cells.empty())
            m_page.firstRow = item.row;
        if (item.row - m_page.firstRow == int(m_page.cells.size()))
            m_page.cells.push_back(cells);
    }
    void pageFinished(int index) override {
        if (index == m_index)
            throw Done{};
    }

private:
    int m_index;
    ReportLayoutCache::Page& m_page;
    bool m_on = false;
};

} // namespace

const QStringList& ReportLayoutCache::Page::rowCells(int row) const {
    static const QStringList none;
    const int i = row - firstRow;
    return i >= 0 && i < int(cells.size()) ? cells[size_t(i)] : none;
}

ReportLayoutCache::Starts::Starts(const ReportDefinition& definition, const ReportLayout::Geometry& geometry,
                                  std::function<void(int)> pageFinished)
    : m_grouping(definition.group.enabled()),
      m_paginator(definition, geometry, TextMeasurer::shared(), *this),
      m_pageFinished(std::move(pageFinished)) {}

void ReportLayoutCache::Starts::addRow(const QStringList& cells, const QString& groupKey,
                                       const QString& groupTitle) {
    m_before = m_paginator.state();
    static const QString none;
    m_paginator.addRow(cells, m_grouping ? groupKey : none, m_grouping ? groupTitle : none);
}

void ReportLayoutCache::Starts::finish() {
    m_before = m_paginator.state();
    m_paginator.finish();
}

std::vector<ReportLayout::Paginator::State> ReportLayoutCache::Starts::take() {
    return std::exchange(m_starts, {});
}

ReportLayoutCache::ReportLayoutCache(const ReportDefinition& definition, const ReportRowStore& rows)
    : m_def(definition), m_rows(rows) {}

void ReportLayoutCache::reset(ReportLayout::Geometry geometry) {
    QMutexLocker lock(&m_mutex);
    m_geometry = std::move(geometry);
    m_starts.clear();
    m_kept.clear();
}

void ReportLayoutCache::addStarts(std::vector<ReportLayout::Paginator::State> starts) {
    std::move(starts.begin(), starts.end(), std::back_inserter(m_starts));
}

std::shared_ptr<const ReportLayoutCache::Page> ReportLayoutCache::page(int index, bool complete) const {
    {
        QMutexLocker lock(&m_mutex);
        for (const auto& [i, page] : m_kept)
            if (i == index)
                return page;
    }
    std::shared_ptr<const Page> page = layOut(index, complete);
    QMutexLocker lock(&m_mutex);
    if (m_kept.size() >= kKeptPages)
        m_kept.erase(m_kept.begin());
    m_kept.emplace_back(index, page);
    return page;
}

std::shared_ptr<const ReportLayoutCache::Page> ReportLayoutCache::layOut(int index, bool complete) const {
    auto page = std::make_shared<Page>();
    if (index < 0 || size_t(index) >= m_starts.size())
        return page;
    const ReportLayout::Paginator::State& start = m_starts[size_t(index)];
    PageCollector collector(index, *page);
    ReportLayout::Paginator paginator(m_def, m_geometry, TextMeasurer::shared(), collector);
    paginator.restore(start);
    const bool grouping = m_def.group.enabled();
    static const QString none;
    try {
        m_rows.read(start.rows, [&](int, const ReportRowStore::Row& row) {
            paginator.addRow(row.cells, grouping ? row.groupKey : none, grouping ? row.groupTitle : none);
            return true;
        });
        if (complete)
            paginator.finish();
    } catch (const PageCollector::Done&) {
    }
    return page;
}
