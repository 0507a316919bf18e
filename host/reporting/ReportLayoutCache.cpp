#include "reporting/ReportLayoutCache.h"

#include "reporting/ReportRowStore.h"

namespace {

constexpr size_t kKeptPages = 12; // more than a screen shows at the smallest zoom

// What the pagination places on pages first..last; the end of the last stops it.
class PageCollector : public ReportLayout::Sink {
public:
    struct Done {};
    PageCollector(int first, int last) : m_first(first), m_last(last) {}
    std::vector<std::shared_ptr<ReportLayoutCache::Page>> pages;
    void pageStarted(int index) override {
        m_on = index >= m_first && index <= m_last;
        if (m_on)
            pages.push_back(std::make_shared<ReportLayoutCache::Page>());
    }
    void placed(const ReportLayout::Item& item, const ReportLayout::Piece* pieces,
                const QStringList& cells) override {
        if (!m_on)
            return;
        ReportLayoutCache::Page& page = *pages.back();
        page.items.push_back(item);
        page.pieces.insert(page.pieces.end(), pieces, pieces + item.pieces);
        if (item.kind != ReportLayout::ItemKind::Row)
            return;
        if (page.cells.empty())
            page.firstRow = item.row;
        if (item.row - page.firstRow == int(page.cells.size()))
            page.cells.push_back(cells);
    }
    void pageFinished(int index) override {
        if (index == m_last)
            throw Done{};
    }

private:
    int m_first, m_last;
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
    m_groups.clear();
    m_kept.clear();
}

void ReportLayoutCache::addStarts(std::vector<ReportLayout::Paginator::State> starts) {
    for (const ReportLayout::Paginator::State& s : starts) {
        if (m_groups.empty() || m_groups.back().first != s.rows.groupKey ||
            m_groups.back().second != s.groupTitle)
            m_groups.emplace_back(s.rows.groupKey, s.groupTitle);
        m_starts.push_back({s.y, s.page, s.shade, s.rows.rows, s.rows.groupStart, int(m_groups.size()) - 1});
    }
}

ReportLayout::Paginator::State ReportLayoutCache::state(const Start& start) const {
    ReportLayout::Paginator::State s;
    s.page = start.page;
    s.y = start.y;
    s.shade = start.shade;
    s.rows.rows = start.rows;
    s.rows.groupStart = start.groupStart;
    if (start.group >= 0) {
        s.rows.groupKey = m_groups[size_t(start.group)].first;
        s.groupTitle = m_groups[size_t(start.group)].second;
    }
    return s;
}

std::shared_ptr<const ReportLayoutCache::Page> ReportLayoutCache::page(int index, int finished,
                                                                       bool complete) const {
    {
        QMutexLocker lock(&m_mutex);
        for (const auto& [i, page] : m_kept)
            if (i == index)
                return page;
    }
    std::vector<std::shared_ptr<const Page>> pages = layOut(index, finished, complete);
    QMutexLocker lock(&m_mutex);
    // The pages of one layout stay together: the rest of a tall row is read on from them.
    const size_t keep = std::max(kKeptPages, pages.size());
    while (!m_kept.empty() && m_kept.size() + pages.size() > keep)
        m_kept.erase(m_kept.begin());
    for (size_t i = 0; i < pages.size(); ++i)
        m_kept.emplace_back(index + int(i), pages[i]);
    return pages.front();
}

std::vector<std::shared_ptr<const ReportLayoutCache::Page>> ReportLayoutCache::layOut(int index, int finished,
                                                                                      bool complete) const {
    if (index < 0 || index >= finished || size_t(index) >= m_starts.size())
        return {std::make_shared<const Page>()};
    const Start& start = m_starts[size_t(index)];
    // Pages begun by one row (a row taller than a page) share their start and are laid out at once:
    // laying out each of them alone would lay the row out again for each.
    size_t last = size_t(index);
    while (last + 1 < qMin(m_starts.size(), size_t(finished)) && m_starts[last + 1].rows == start.rows &&
           m_starts[last + 1].page == start.page)
        ++last;
    PageCollector collector(index, int(last));
    ReportLayout::Paginator paginator(m_def, m_geometry, TextMeasurer::shared(), collector);
    paginator.restore(state(start));
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
    if (collector.pages.empty())
        return {std::make_shared<const Page>()};
    return {collector.pages.begin(), collector.pages.end()};
}
