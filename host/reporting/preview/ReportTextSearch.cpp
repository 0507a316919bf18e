#include "reporting/preview/ReportTextSearch.h"

#include "core/Errors.h"
#include "core/MessageSink.h"
#include "reporting/ReportDocument.h"
#include "reporting/ReportSearchText.h"

#include <QElapsedTimer>
#include <algorithm>
#include <array>
#include <memory>

namespace {

// How long one slice searches before the window gets its events back.
constexpr qint64 kSliceMs = 12;

// What each code unit of the Basic Multilingual Plane compares as: its base letter without accents,
// with or without folding its case. Built once; one lookup per code unit afterwards.
struct FoldTables {
    std::unique_ptr<char16_t[]> accents = std::make_unique<char16_t[]>(0x10000);
    std::unique_ptr<char16_t[]> accentsAndCase = std::make_unique<char16_t[]>(0x10000);
    FoldTables() {
        for (char32_t c = 0; c < 0x10000; ++c) {
            char16_t base = char16_t(c);
            if (c >= 0x80 && !QChar::isSurrogate(c)) {
                // "ǖ" is "ü" and a macron, "ü" is "u" and a diaeresis: follow the first code unit.
                for (QChar ch(base); ch.decompositionTag() == QChar::Canonical; ch = QChar(base)) {
                    const QString d = ch.decomposition();
                    if (d.isEmpty() || d.at(0).unicode() == base)
                        break;
                    base = d.at(0).unicode();
                }
            }
            if (QChar::isSpace(c))
                base = u' '; // a cell's line break reads as the space typed in a search
            accents[c] = base;
            const QChar folded = QChar(base).toCaseFolded();
            accentsAndCase[c] = folded.unicode();
        }
    }
    static const FoldTables& instance() {
        static const FoldTables tables;
        return tables;
    }
};

} // namespace

ReportTextSearch::ReportTextSearch(const ReportDocument& document, QObject* parent)
    : QAbstractListModel(parent), m_doc(document) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &ReportTextSearch::searchSlice);
    // New pages of a report still running are searched as they come.
    connect(&document, &ReportDocument::pagesAdded, this, [this] {
        if (!m_folded.isEmpty() && !m_timer.isActive()) {
            m_timer.start();
            emit progressed();
        }
    });
}

QString ReportTextSearch::fold(QStringView text, bool matchCase) {
    const FoldTables& tables = FoldTables::instance();
    const char16_t* table = matchCase ? tables.accents.get() : tables.accentsAndCase.get();
    QString out(text.size(), Qt::Uninitialized);
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    for (const QChar c : text)
        *o++ = table[c.unicode()];
    return out;
}

void ReportTextSearch::start(const QString& text, bool matchCase) {
    m_timer.stop();
    beginResetModel();
    m_text = text;
    m_matchCase = matchCase;
    m_folded = fold(text.trimmed(), matchCase);
    m_matches.clear();
    m_nextPage = 0;
    endResetModel();
    if (m_folded.isEmpty()) {
        emit progressed();
        return;
    }
    searchSlice();
}

void ReportTextSearch::searchPage(int page, std::vector<Match>& found) const {
    const std::vector<ReportSearchText::Text> texts = ReportSearchText::page(m_doc, page);
    QString folded;
    int owner = -1; // of the last match: a row that matches twice is listed once
    for (const ReportSearchText::Text& text : texts) {
        if (text.text.size() < m_folded.size())
            continue;
        folded = fold(text.text, m_matchCase);
        for (qsizetype at = folded.indexOf(m_folded); at >= 0;
             at = folded.indexOf(m_folded, at + m_folded.size())) {
            const std::vector<QRectF> boxes = text.boxes(int(at), int(m_folded.size()));
            if (boxes.empty())
                continue;
            if (owner != text.owner) {
                owner = text.owner;
                constexpr int kShown = 200;
                QString shown = text.text.simplified();
                if (shown.size() > kShown)
                    shown = shown.left(kShown) + QChar(0x2026);
                found.push_back({page,
                                 boxes.front(),
                                 {},
                                 text.label.isEmpty() ? shown : text.label + QStringLiteral(": ") + shown});
            }
            std::vector<QRectF>& all = found.back().boxes;
            all.insert(all.end(), boxes.begin(), boxes.end());
        }
    }
}

void ReportTextSearch::searchSlice() {
    QElapsedTimer clock;
    clock.start();
    std::vector<Match> found;
    const int pages = m_doc.pageCount();
    try {
        while (m_nextPage < pages && clock.elapsed() < kSliceMs)
            searchPage(m_nextPage++, found);
    } catch (const EHostError& e) {
        // The report's rows can no longer be read back: the search ends with what it found.
        m_nextPage = pages;
        MessageSink::instance().showError(e.message());
    }
    if (!found.empty()) {
        beginInsertRows(QModelIndex(), count(), count() + int(found.size()) - 1);
        std::move(found.begin(), found.end(), std::back_inserter(m_matches));
        endInsertRows();
    }
    if (m_nextPage < pages)
        m_timer.start();
    emit progressed();
}

std::pair<int, int> ReportTextSearch::matchesOn(int page) const {
    auto byPage = [](const Match& m, int p) { return m.page < p; };
    const auto first = std::lower_bound(m_matches.begin(), m_matches.end(), page, byPage);
    const auto last = std::lower_bound(first, m_matches.end(), page + 1, byPage);
    return {int(first - m_matches.begin()), int(last - m_matches.begin())};
}

int ReportTextSearch::firstFrom(int page) const {
    const int first = matchesOn(page).first;
    return first < count() ? first : -1;
}

int ReportTextSearch::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant ReportTextSearch::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    const Match& m = matchAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return QStringLiteral("Pág. %1 · %2").arg(m.page + 1).arg(m.line);
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
        return QStringLiteral("Página %1 · %2").arg(m.page + 1).arg(m.line);
    default:
        return {};
    }
}
