#include "dialogs/LookupDialog.h"

#include "core/Errors.h"
#include "data/TADOIBStringField.h"
#include "data/TDataSet.h"
#include "data/TDataSource.h"

#include <QAbstractTableModel>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <vector>

namespace {

// Lower case without accents: what the filter compares.
QString fold(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() < 128) {
            out += c.toLower();
            continue;
        }
        // "é" decomposes to "e" + accent: keep the base letter.
        const QString d = c.decomposition();
        const QChar base = d.isEmpty() ? c : d.at(0);
        if (base.category() != QChar::Mark_NonSpacing)
            out += base.toCaseFolded();
    }
    return out;
}

} // namespace

// The dataset's rows as the dialog shows them: the visible fields, a check in the first column.
class LookupRowsModel : public QAbstractTableModel {
public:
    LookupRowsModel(const QueryRowsModel* source, std::vector<int> columns, QStringList titles, int keyColumn,
                    bool single, QObject* parent)
        : QAbstractTableModel(parent), m_source(source), m_columns(std::move(columns)),
          m_titles(std::move(titles)), m_keyColumn(keyColumn), m_single(single),
          m_checked(size_t(source->rowCount()), 0) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : m_source->rowCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(m_columns.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return m_source->text(index.row(), m_columns[size_t(index.column())]);
        if (role == Qt::CheckStateRole && index.column() == 0)
            return m_checked[size_t(index.row())] ? Qt::Checked : Qt::Unchecked;
        return {};
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || role != Qt::CheckStateRole)
            return false;
        setChecked(index.row(), value.toInt() == Qt::Checked);
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.column() == 0)
            f |= Qt::ItemIsUserCheckable;
        return f;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 &&
            section < m_titles.size())
            return m_titles[section];
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    bool isChecked(int row) const { return m_checked[size_t(row)] != 0; }

    void setChecked(int row, bool checked) {
        if (row < 0 || row >= rowCount() || isChecked(row) == checked)
            return;
        if (checked && m_single)
            for (int r = 0; r < rowCount(); ++r)
                if (m_checked[size_t(r)]) {
                    m_checked[size_t(r)] = 0;
                    --m_count;
                    emit dataChanged(index(r, 0), index(r, 0), {Qt::CheckStateRole});
                }
        m_checked[size_t(row)] = checked;
        m_count += checked ? 1 : -1;
        emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
    }

    void setRowsChecked(const std::vector<int>& rows, bool checked) {
        for (int r : rows) {
            if (isChecked(r) != checked)
                m_count += checked ? 1 : -1;
            m_checked[size_t(r)] = checked;
        }
        if (!rows.empty())
            emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
    }

    int checkedCount() const { return m_count; }
    QString key(int row) const { return m_source->text(row, m_keyColumn); }

    // Whether a row holds the folded needle in any shown column.
    bool matches(int row, const QString& needle) const {
        if (m_folded.empty()) {
            m_folded.reserve(size_t(rowCount()));
            for (int r = 0; r < rowCount(); ++r) {
                QString all;
                for (int c : m_columns) {
                    all += m_source->text(r, c);
                    all += QChar(0x1f); // a match never spans two columns
                }
                m_folded.push_back(fold(all));
            }
        }
        return m_folded[size_t(row)].contains(needle);
    }

private:
    const QueryRowsModel* m_source;
    std::vector<int> m_columns;
    QStringList m_titles;
    int m_keyColumn;
    bool m_single;
    std::vector<char> m_checked;
    int m_count = 0;
    mutable std::vector<QString> m_folded; // built at the first filter
};

class LookupFilterModel : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setNeedle(const QString& text) {
        m_needle = fold(text.trimmed());
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex&) const override {
        return m_needle.isEmpty() || static_cast<LookupRowsModel*>(sourceModel())->matches(row, m_needle);
    }

private:
    QString m_needle;
};

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
    std::vector<int> widths;
    const QList<TADOIBStringField*> fields = dataSet->Fields();
    for (TADOIBStringField* f : fields) {
        const int c = dataSet->columnOf(f->FieldName());
        if (f->Visible() && c >= 0) {
            columns.push_back(c);
            titles << f->DisplayLabel();
            widths.push_back(f->Size());
        }
    }
    if (fields.isEmpty()) {
        // A query without declared fields shows its result as it is.
        for (int c = 0; c < source->columnCount(); ++c) {
            columns.push_back(c);
            titles << source->columnNames()[c];
            widths.push_back(20);
        }
    }
    if (columns.empty())
        throw EHostError(QStringLiteral("A pesquisa '%1' não tem campos visíveis.").arg(request.title));

    setWindowTitle(request.title);
    setObjectName(QStringLiteral("LookupDialog"));

    m_rows = new LookupRowsModel(source, columns, titles, keyColumn, request.flag, this);
    m_proxy = new LookupFilterModel(this);
    m_proxy->setDynamicSortFilter(false);
    m_proxy->setSortCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setSortLocaleAware(true);
    m_proxy->setSourceModel(m_rows);

    auto* filterLabel = new QLabel(QStringLiteral("&Filtrar:"), this);
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("edtFiltro"));
    m_filter->setClearButtonEnabled(true);
    m_filter->setPlaceholderText(QStringLiteral("Digite parte de qualquer coluna"));
    filterLabel->setBuddy(m_filter);
    m_filter->installEventFilter(this);
    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& t) {
        m_proxy->setNeedle(t);
        updateStatus();
    });

    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("grdLista"));
    m_view->setModel(m_proxy);
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
    // Digits are the widest common characters of codes; long texts are capped so all columns fit.
    const int charWidth = m_view->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (size_t c = 0; c < widths.size(); ++c)
        m_view->setColumnWidth(int(c), std::clamp(widths[c], 4, 30) * charWidth + 28);
    m_view->installEventFilter(this);
    connect(m_view, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
        const int row = m_proxy->mapToSource(i).row();
        if (i.column() != 0) // the check box toggles itself
            m_rows->setChecked(row, !m_rows->isChecked(row));
    });

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblSituacao"));
    auto* checkAll = new QPushButton(QStringLiteral("&Marcar todos"), this);
    auto* uncheckAll = new QPushButton(QStringLiteral("&Desmarcar todos"), this);
    checkAll->setObjectName(QStringLiteral("btnMarcarTodos"));
    uncheckAll->setObjectName(QStringLiteral("btnDesmarcarTodos"));
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
    resize(860, 520);

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
    // Down from the filter box goes to the list.
    if (watched == m_filter && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down) {
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
