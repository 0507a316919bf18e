#pragma once
// Finds a text in what a report's pages say (the texts the layout placed, not the pixels: headers and
// footers too, a wrapped cell as one text), page after page, in slices: the first matches come at once
// and the rest from the event loop, so the window answers while a long report is searched. Accents are
// ignored ("sao" finds "São"), and case too unless asked. Pages that arrive while the report still
// runs are searched as they come. As a list model, one entry per row of a page that matches, naming
// the column: "Pág. 12 · Razão Social: the cell".
#include "host_export.h"

#include <QAbstractListModel>
#include <QRectF>
#include <QString>
#include <QTimer>
#include <vector>

class ReportDocument;

class HOST_EXPORT ReportTextSearch : public QAbstractListModel {
    Q_OBJECT
public:
    struct Match {
        int page = 0;              // 0-based
        QRectF box;                // the first, in layout units (ReportDocument::onPaper gives points)
        std::vector<QRectF> boxes; // every occurrence in the row, a box per line it covers
        QString line;              // "column: the cell", the header's or footer's text, or a caption
    };

    explicit ReportTextSearch(const ReportDocument& document, QObject* parent = nullptr);

    // Starts over with a new text (an empty one clears): the first pages are searched before this
    // returns, the others in slices.
    void start(const QString& text, bool matchCase);
    void clear() { start(QString(), m_matchCase); }
    const QString& text() const { return m_text; }
    bool matchCase() const { return m_matchCase; }
    // True while pages laid out so far remain to be searched.
    bool isRunning() const { return m_timer.isActive(); }
    int searchedPages() const { return m_nextPage; }

    int count() const { return int(m_matches.size()); }
    const Match& matchAt(int index) const { return m_matches[size_t(index)]; }
    // The matches on a page: indexes [first, second).
    std::pair<int, int> matchesOn(int page) const;
    // The first match on page or after it, -1 when none has been found (yet).
    int firstFrom(int page) const;

    // The text as compared: accents dropped and, unless matchCase, case folded; one code unit for each
    // code unit of text, so positions in it are positions in text.
    static QString fold(QStringView text, bool matchCase);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

signals:
    // Matches were found or the search went on or ended (count(), isRunning()).
    void progressed();

private:
    void searchSlice();
    void searchPage(int page, std::vector<Match>& found) const;

    const ReportDocument& m_doc;
    QString m_text, m_folded;
    bool m_matchCase = false;
    int m_nextPage = 0;
    std::vector<Match> m_matches;
    QTimer m_timer;
};
