#include "dialogs/LookupDialog.h"

#include "dialogs/LookupModels_p.h"

#include "core/Errors.h"
#include "data/TADOIBQuery.h"
#include "data/TADOIBStringField.h"
#include "data/TDataSet.h"
#include "data/TDataSource.h"

#include <QAbstractTableModel>
#include <QDialogButtonBox>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <vector>

namespace {

// The list, measuring its cells as its delegate draws them.
class LookupGrid : public QTableView {
public:
    using QTableView::QTableView;

    // The width a cell needs: its text, the check box of the first column, margins and grid line.
    int cellWidth(const QModelIndex& index) const {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        return itemDelegateForIndex(index)->sizeHint(option, index).width() + (showGrid() ? 1 : 0);
    }
    bool isCut(const QModelIndex& index) const { return cellWidth(index) > columnWidth(index.column()); }

    // The width that shows the column's header and the texts of the given rows, a long text
    // capped at the width of maxChars characters (its tooltip shows the rest). Laying out each
    // text as the delegate does costs more than the rest of the opening: the texts are ranked by
    // the sum of their characters' advances, and only the widest few are laid out.
    int fittedWidth(int column, const std::vector<int>& rows, int maxChars) {
        constexpr size_t measured = 8;
        std::vector<std::pair<qreal, int>> ranked;
        ranked.reserve(rows.size());
        for (int r : rows)
            ranked.emplace_back(estimatedWidth(model()->index(r, column).data().toString()), r);
        const auto widest = ranked.begin() + qsizetype(std::min(measured, ranked.size()));
        std::partial_sort(ranked.begin(), widest, ranked.end(), std::greater<>());
        int content = 0;
        for (auto it = ranked.begin(); it != widest; ++it)
            content = std::max(content, cellWidth(model()->index(it->second, column)));
        const int cap = maxChars * fontMetrics().averageCharWidth();
        return std::max(horizontalHeader()->sectionSizeHint(column), std::min(content, cap));
    }

private:
    // A text's width without shaping it: its characters' advances, each measured once.
    qreal estimatedWidth(const QString& text) {
        // Printable ASCII only: asking for a control character would load fallback fonts.
        if (m_ascii.empty()) {
            const QFontMetricsF metrics(font());
            for (char16_t c = 32; c < 127; ++c)
                m_ascii.push_back(metrics.horizontalAdvance(QChar(c)));
        }
        qreal width = 0;
        for (QChar c : text) {
            if (c.unicode() >= 32 && c.unicode() < 127) {
                width += m_ascii[c.unicode() - 32];
                continue;
            }
            auto it = m_other.constFind(c.unicode());
            if (it == m_other.cend())
                it = m_other.insert(c.unicode(), QFontMetricsF(font()).horizontalAdvance(c));
            width += *it;
        }
        return width;
    }

    std::vector<qreal> m_ascii;
    QHash<char16_t, qreal> m_other;
};

// What the user left of a lookup's layout, kept for the session.
struct RememberedLayout {
    QSize size;
    QList<int> columnWidths;
};
QHash<QString, RememberedLayout>& rememberedLayouts() {
    static QHash<QString, RememberedLayout> layouts;
    return layouts;
}

// Rows whose texts size the columns: the first ones and others spread over the rest.
std::vector<int> sampleRows(int rowCount) {
    constexpr int first = 100, spread = 400;
    std::vector<int> rows;
    for (int r = 0; r < std::min(rowCount, first); ++r)
        rows.push_back(r);
    if (rowCount > first) {
        const int step = std::max(1, (rowCount - first) / spread);
        for (int r = first; r < rowCount; r += step)
            rows.push_back(r);
    }
    return rows;
}

} // namespace

LookupDialog::LookupDialog(const LookupRequest& request, QWidget* parent) : QDialog(parent) {
    if (!request.dataSource)
        throw EHostError(QStringLiteral("A pesquisa '%1' não tem fonte de dados.").arg(request.title));
    TDataSet* dataSet = request.dataSource->DataSet();
    if (!dataSet || !dataSet->Active())
        throw EHostError(QStringLiteral("A pesquisa '%1': a consulta da fonte de dados '%2' não está aberta.")
                             .arg(request.title, request.dataSource->objectName()));
    const QueryRowsModel* source = dataSet->model();
    const int keyColumn = dataSet->columnOf(request.keyField);
    if (keyColumn < 0)
        throw EHostError(
            QStringLiteral("A pesquisa '%1': o campo chave '%2' não está no resultado da consulta.")
                .arg(request.title, request.keyField));

    std::vector<int> columns;
    QStringList titles;
    const QList<TADOIBStringField*> fields = dataSet->Fields();
    for (TADOIBStringField* f : fields) {
        const int c = dataSet->columnOf(f->FieldName());
        if (f->Visible() && c >= 0) {
            columns.push_back(c);
            titles << f->DisplayLabel();
        }
    }
    if (fields.isEmpty()) {
        // A query without declared fields shows its result as it is.
        for (int c = 0; c < source->columnCount(); ++c) {
            columns.push_back(c);
            titles << source->columnNames()[c];
        }
    }
    if (columns.empty())
        throw EHostError(QStringLiteral("A pesquisa '%1' não tem campos visíveis.").arg(request.title));

    setWindowTitle(request.title);
    setObjectName(QStringLiteral("LookupDialog"));
    m_single = request.flag;
    const TADOIBQuery* query = dataSet->query();
    m_identity = QStringList{request.title, request.keyField, titles.join(QChar(0x1f)),
                             query ? query->SQL() : QString()}
                     .join(QChar(0x1e));

    m_rows = new LookupRowsModel(source, columns, titles, keyColumn, request.flag, this);
    m_proxy = new LookupFilterModel(this);
    m_proxy->setDynamicSortFilter(false);
    m_proxy->setSourceModel(m_rows);

    auto* filterLabel = new QLabel(QStringLiteral("&Filtrar:"), this);
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("edtFiltro"));
    m_filter->setClearButtonEnabled(true);
    m_filter->setPlaceholderText(QStringLiteral("Digite parte de qualquer coluna"));
    m_filter->setAccessibleName(QStringLiteral("Filtrar"));
    filterLabel->setBuddy(m_filter);
    m_filter->installEventFilter(this);
    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& t) {
        m_proxy->setNeedle(t);
        updateStatus();
    });

    auto* grid = new LookupGrid(this);
    m_view = grid;
    m_view->setObjectName(QStringLiteral("grdLista"));
    m_view->setAccessibleName(QStringLiteral("Registros"));
    m_view->setAccessibleDescription(QStringLiteral(
        "Espaço marca ou desmarca as linhas selecionadas; Ctrl+A marca todas as linhas mostradas."));
    // The rows' header and the sorting are set before the model comes: set after, each is one more
    // pass over every row (the row sizes, an unsorted sort).
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setAlternatingRowColors(true);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->setVisible(false);
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    m_view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder); // keep the query's order
    m_view->setSortingEnabled(true);
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->setModel(m_proxy);
    m_rows->setCutTest([grid](const QModelIndex& i) { return grid->isCut(i); });
    m_view->installEventFilter(this);
    connect(m_view, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
        const int row = m_proxy->mapToSource(i).row();
        if (i.column() != 0) // the check box toggles itself
            m_rows->setChecked(row, !m_rows->isChecked(row));
    });

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblSituacao"));
    // A label's accessible name is its text unless one is set: the counter is what a screen reader
    // reads (and hears change), its purpose is the description.
    m_status->setAccessibleDescription(QStringLiteral("Situação da lista"));
    auto* checkAll = new QPushButton(QStringLiteral("&Marcar todos"), this);
    auto* uncheckAll = new QPushButton(QStringLiteral("&Desmarcar todos"), this);
    checkAll->setObjectName(QStringLiteral("btnMarcarTodos"));
    uncheckAll->setObjectName(QStringLiteral("btnDesmarcarTodos"));
    checkAll->setAccessibleName(QStringLiteral("Marcar todos"));
    uncheckAll->setAccessibleName(QStringLiteral("Desmarcar todos"));
    checkAll->setToolTip(QStringLiteral("Marca as linhas mostradas pelo filtro (Ctrl+A na lista)"));
    uncheckAll->setToolTip(QStringLiteral("Desmarca as linhas mostradas pelo filtro"));
    checkAll->setAutoDefault(false);
    uncheckAll->setAutoDefault(false);
    checkAll->setVisible(!request.flag);
    connect(checkAll, &QPushButton::clicked, this, [this] { setShownRowsChecked(true); });
    connect(uncheckAll, &QPushButton::clicked, this, [this] { setShownRowsChecked(false); });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("btnOK"));
    cancel->setObjectName(QStringLiteral("btnCancelar"));
    ok->setAccessibleName(QStringLiteral("OK"));
    cancel->setAccessibleName(QStringLiteral("Cancelar"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(filterLabel);
    top->addWidget(m_filter, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(checkAll);
    bottom->addWidget(uncheckAll);
    bottom->addWidget(m_status, 1);
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);
    layout->addLayout(bottom);
    fitToContents();

    // Rows already in the selection come checked; the first of them is brought into view.
    const QSet<QString> preselected(request.preselected.begin(), request.preselected.end());
    std::vector<int> rows;
    if (!preselected.isEmpty())
        for (int r = 0; r < m_rows->rowCount(); ++r)
            if (preselected.contains(m_rows->key(r)) && !(request.flag && !rows.empty()))
                rows.push_back(r);
    m_rows->setRowsChecked(rows, true);
    connect(m_rows, &QAbstractItemModel::dataChanged, this, &LookupDialog::updateStatus);
    if (!rows.empty())
        m_view->scrollTo(m_proxy->mapFromSource(m_rows->index(rows.front(), 0)),
                         QAbstractItemView::PositionAtCenter);
    if (m_rows->rowCount() > 0)
        m_view->setCurrentIndex(m_proxy->index(0, 0));
    m_filter->setFocus();
    updateStatus();
}

LookupDialog::~LookupDialog() = default;

void LookupDialog::fitToContents() {
    const QRect screen = (parentWidget() ? parentWidget()->screen() : this->screen())->availableGeometry();
    const int columns = m_proxy->columnCount();
    const auto remembered = rememberedLayouts().constFind(m_identity);
    if (remembered != rememberedLayouts().cend() && remembered->columnWidths.size() == columns) {
        for (int c = 0; c < columns; ++c)
            m_view->setColumnWidth(c, remembered->columnWidths[c]);
        resize(remembered->size.boundedTo(screen.size()));
        return;
    }
    auto* grid = static_cast<LookupGrid*>(m_view);
    const std::vector<int> rows = sampleRows(m_proxy->rowCount());
    int total = 0;
    for (int c = 0; c < columns; ++c) {
        m_view->setColumnWidth(c, grid->fittedWidth(c, rows, 60));
        total += m_view->columnWidth(c);
    }
    // The list's frame, its vertical scroll bar and the dialog's margins around the columns.
    const QMargins margins = layout()->contentsMargins();
    const int wanted = total + 2 * m_view->frameWidth() + m_view->verticalScrollBar()->sizeHint().width() +
                       margins.left() + margins.right();
    const int width = std::min(std::max(wanted, std::max(minimumSizeHint().width(), 640)), screen.width());
    resize(width, std::min(520, screen.height()));
}

void LookupDialog::done(int result) {
    RememberedLayout& remembered = rememberedLayouts()[m_identity];
    remembered.size = size();
    remembered.columnWidths.clear();
    for (int c = 0; c < m_proxy->columnCount(); ++c)
        remembered.columnWidths << m_view->columnWidth(c);
    QDialog::done(result);
}

std::optional<QStringList> LookupDialog::run(const LookupRequest& request, QWidget* parent) {
    LookupDialog dialog(request, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.checkedKeys();
}

QStringList LookupDialog::checkedKeys() const {
    QStringList keys;
    QSet<QString> seen;
    for (int r = 0; r < m_rows->rowCount(); ++r)
        if (m_rows->isChecked(r)) {
            const QString k = m_rows->key(r);
            if (!seen.contains(k)) {
                seen.insert(k);
                keys << k;
            }
        }
    return keys;
}

// Both buttons act on the rows that pass the filter.
void LookupDialog::setShownRowsChecked(bool checked) {
    std::vector<int> rows;
    rows.reserve(size_t(m_proxy->rowCount()));
    for (int r = 0; r < m_proxy->rowCount(); ++r)
        rows.push_back(m_proxy->mapToSource(m_proxy->index(r, 0)).row());
    m_rows->setRowsChecked(rows, checked);
}

void LookupDialog::toggleSelectedRows() {
    QModelIndexList selected = m_view->selectionModel()->selectedRows();
    if (selected.isEmpty() && m_view->currentIndex().isValid())
        selected << m_view->currentIndex();
    for (const QModelIndex& i : selected) {
        const int row = m_proxy->mapToSource(i).row();
        m_rows->setChecked(row, !m_rows->isChecked(row));
    }
}

bool LookupDialog::eventFilter(QObject* watched, QEvent* event) {
    // Space marks or unmarks the selected rows, whichever column has the focus.
    if (watched == m_view && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        toggleSelectedRows();
        return true;
    }
    // Ctrl+A in the list marks the rows it shows.
    if (watched == m_view && event->type() == QEvent::KeyPress && !m_single &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::SelectAll)) {
        setShownRowsChecked(true);
        return true;
    }
    // Down from the filter box goes to the list.
    if (watched == m_filter && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down) {
        // on the first row shown, when the filter took the current one away
        if (!m_view->currentIndex().isValid() && m_proxy->rowCount() > 0)
            m_view->setCurrentIndex(m_proxy->index(0, 0));
        m_view->setFocus();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void LookupDialog::updateStatus() {
    m_status->setText(QStringLiteral("%1 de %2 registros, %3 marcados")
                          .arg(m_proxy->rowCount())
                          .arg(m_rows->rowCount())
                          .arg(m_rows->checkedCount()));
}
