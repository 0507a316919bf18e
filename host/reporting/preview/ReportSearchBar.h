#pragma once
// The preview's search: the text to find, "Diferenciar maiúsculas", previous and next, "12 de 340"
// and the list of matches with their page and line. It runs a ReportTextSearch as the user types and
// keeps which match is current; the preview shows it.
#include "host_export.h"

#include <QWidget>

class ReportDocument;
class ReportTextSearch;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;

class HOST_EXPORT ReportSearchBar : public QWidget {
    Q_OBJECT
public:
    explicit ReportSearchBar(const ReportDocument& document, QWidget* parent = nullptr);

    ReportTextSearch& search() const { return *m_search; }
    // The list of matches, for the preview to place beside its pages.
    QListView* results() const { return m_results; }
    QLineEdit* field() const { return m_field; }

    // Shows the bar with the field focused and its text selected.
    void open();
    // Hides the bar and its list and clears the search.
    void close();
    // Searches for text now (what typing in the field does).
    void find(const QString& text);
    // The match from which a new search starts: the first on this page or after it.
    void setStartPage(int page) { m_startPage = page; }

    int current() const { return m_current; } // -1 for none
    void next();
    void previous();
    QString countText() const;

signals:
    void currentChanged(int match);
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void restart();
    void progressed();
    void setCurrent(int match);

    const ReportDocument& m_doc;
    ReportTextSearch* m_search;
    QLineEdit* m_field;
    QCheckBox* m_matchCase;
    QLabel* m_count;
    QListView* m_results;
    int m_current = -1;
    int m_startPage = 0;
};
