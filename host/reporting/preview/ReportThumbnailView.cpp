#include "reporting/preview/ReportThumbnailView.h"

#include "reporting/ReportDocument.h"

#include <QAbstractListModel>
#include <QCache>
#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr int kWidth = 110; // pixels of a page's picture
// Pictures kept: a few columns' worth, so that a long report's pictures do not add up.
constexpr int kKept = 48;

// One row per page laid out; a page's picture is drawn when the view first asks for it.
class ThumbnailModel : public QAbstractListModel {
public:
    ThumbnailModel(const ReportDocument& document, QObject* parent)
        : QAbstractListModel(parent), m_doc(document), m_pages(document.pageCount()), m_cache(kKept) {
        connect(&document, &ReportDocument::pagesAdded, this, [this](int pages) { grow(pages); });
        // The footers change ("Página X de Y"): the pictures are drawn again when next seen.
        connect(&document, &ReportDocument::completed, this, [this] {
            grow(m_doc.pageCount());
            m_cache.clear();
            if (m_pages > 0)
                emit dataChanged(index(0), index(m_pages - 1), {Qt::DecorationRole});
        });
    }

    QSize pictureSize() const {
        const QSizeF paper = m_doc.pageLayout().fullRect(QPageLayout::Point).size();
        return QSize(kWidth, qRound(kWidth * paper.height() / paper.width()));
    }
    int drawn = 0;
    qreal ratio = 1;

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : m_pages; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= m_pages)
            return {};
        switch (role) {
        case Qt::DisplayRole:
            return QString::number(index.row() + 1);
        case Qt::AccessibleTextRole:
        case Qt::ToolTipRole:
            return QStringLiteral("Página %1").arg(index.row() + 1);
        case Qt::DecorationRole:
            return picture(index.row());
        case Qt::SizeHintRole:
            return QSize(kWidth + 16, pictureSize().height() + 28);
        default:
            return {};
        }
    }

private:
    void grow(int pages) {
        if (pages < m_pages) { // laid out again
            beginResetModel();
            m_pages = pages;
            m_cache.clear();
            endResetModel();
        } else if (pages > m_pages) {
            beginInsertRows(QModelIndex(), m_pages, pages - 1);
            m_pages = pages;
            endInsertRows();
        }
    }

    QPixmap picture(int page) const {
        if (const QPixmap* kept = m_cache.object(page))
            return *kept;
        const QSize size = pictureSize() * ratio;
        const QSizeF paper = m_doc.pageLayout().fullRect(QPageLayout::Point).size();
        const double pixelsPerPoint = size.width() / paper.width();
        constexpr double unitsPerPoint = ReportDocument::kUnitsPerInch / 72.0;
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.scale(pixelsPerPoint / unitsPerPoint, pixelsPerPoint / unitsPerPoint);
            painter.translate(m_doc.pageLayout().paintRect(QPageLayout::Point).topLeft() * unitsPerPoint);
            m_doc.drawPageOnScreen(painter, page);
        }
        QPixmap pixmap = QPixmap::fromImage(std::move(image));
        pixmap.setDevicePixelRatio(ratio);
        m_cache.insert(page, new QPixmap(pixmap));
        ++const_cast<ThumbnailModel*>(this)->drawn;
        return pixmap;
    }

    const ReportDocument& m_doc;
    int m_pages;
    mutable QCache<int, QPixmap> m_cache;
};

} // namespace

ReportThumbnailView::ReportThumbnailView(const ReportDocument& document, QWidget* parent)
    : QListView(parent) {
    auto* model = new ThumbnailModel(document, this);
    model->ratio = devicePixelRatioF();
    setModel(model);
    setAccessibleName(QStringLiteral("Miniaturas das páginas"));
    // A list, each picture over its number: an icon view would keep a place for each of the
    // hundred thousand pages of a long report.
    setViewMode(QListView::ListMode);
    setFlow(QListView::TopToBottom);
    setWrapping(false);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true); // the view asks only the pages in sight for their pictures
    setIconSize(model->pictureSize());
    setSpacing(4);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFixedWidth(kWidth + 16 + 2 * frameWidth() + 20);
    setBackgroundRole(QPalette::Dark);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
        if (index.isValid() && !m_following)
            emit pageChosen(index.row());
    });
}

void ReportThumbnailView::setCurrentPage(int page) {
    const QModelIndex index = model()->index(page, 0);
    if (!index.isValid() || index == currentIndex())
        return;
    m_following = true;
    setCurrentIndex(index);
    m_following = false;
    scrollTo(index);
}

int ReportThumbnailView::drawnCount() const {
    return static_cast<const ThumbnailModel*>(model())->drawn;
}

void ReportThumbnailView::initViewItemOption(QStyleOptionViewItem* option) const {
    QListView::initViewItemOption(option);
    option->decorationPosition = QStyleOptionViewItem::Top;
    option->decorationAlignment = Qt::AlignCenter;
    option->displayAlignment = Qt::AlignCenter;
}
