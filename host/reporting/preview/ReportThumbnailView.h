#pragma once
// A column of small pictures of a report's pages, drawn only when they come into sight; choosing
// one goes to its page. It grows with the report while the report still runs.
#include "host_export.h"

#include <QListView>

class ReportDocument;

class HOST_EXPORT ReportThumbnailView : public QListView {
    Q_OBJECT
public:
    explicit ReportThumbnailView(const ReportDocument& document, QWidget* parent = nullptr);
    // Selects the page's picture and scrolls to it.
    void setCurrentPage(int page);
    // How many page pictures have been drawn so far (they are drawn as they come into sight).
    int drawnCount() const;

signals:
    void pageChosen(int page);

protected:
    void initViewItemOption(QStyleOptionViewItem* option) const override;

private:
    bool m_following = false; // selecting the page the preview shows, not one the user chose
};
