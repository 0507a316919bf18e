#pragma once
// The lookup dialog's models: the dataset's rows with a check each, and the filter over them.
// Private to the dialogs layer.
#include "data/PortugueseCollation.h"
#include "data/TDataSet.h"

#include <QAbstractTableModel>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <vector>

// Lower case without accents: what the filter compares.
inline QString lookupFold(const QString& text) {
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
                m_folded.push_back(lookupFold(all));
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
        m_needle = lookupFold(text.trimmed());
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex&) const override {
        return m_needle.isEmpty() || static_cast<LookupRowsModel*>(sourceModel())->matches(row, m_needle);
    }
    // A column sorted by its header follows the database's order of names, not the system locale's.
    bool lessThan(const QModelIndex& a, const QModelIndex& b) const override {
        return m_collator.compare(a.data().toString(), b.data().toString()) < 0;
    }

private:
    QString m_needle;
    QCollator m_collator = PortugueseCollation::collator();
};
