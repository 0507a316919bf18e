#pragma once
// The lookup dialog's models: the dataset's rows with a check each, and the filter over them.
// Neither copies the rows: both read the dataset's texts, the filter keeps one folded text per row
// (built at the first filter) and the sort keeps collation keys only while it sorts. The filter
// also searches the hidden key (the code a report prints) and, for a number written with
// punctuation such as a CPF or CNPJ, its digits alone.
// Private to the dialogs layer.
#include "data/PortugueseCollation.h"
#include "data/TDataSet.h"

#include <QAbstractTableModel>
#include <QCollatorSortKey>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <algorithm>
#include <functional>
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

// Separators of the numbers people type both with and without them: CPF, CNPJ, CEP, phone.
inline bool isNumberSeparator(char c) {
    return c == '.' || c == '-' || c == '/' || c == ' ' || c == '(' || c == ')';
}

// The digits of a text made of digits and separators only, with at least one separator; empty
// otherwise (nothing to add to what the text itself matches).
inline QByteArray bareDigits(QByteArrayView text) {
    QByteArray digits;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digits += c;
        else if (!isNumberSeparator(c))
            return {};
    }
    return digits.size() == text.size() ? QByteArray() : digits;
}

// The dataset's rows as the dialog shows them: the visible fields, a check in the first column.
class LookupRowsModel : public QAbstractTableModel {
public:
    LookupRowsModel(const QueryRowsModel* source, std::vector<int> columns, QStringList titles, int keyColumn,
                    bool single, QObject* parent)
        : QAbstractTableModel(parent), m_source(source), m_columns(std::move(columns)),
          m_titles(std::move(titles)), m_keyColumn(keyColumn), m_single(single),
          m_checked(size_t(source->rowCount()), 0) {
        m_searched = m_columns;
        if (std::find(m_columns.begin(), m_columns.end(), keyColumn) == m_columns.end())
            m_searched.push_back(keyColumn);
    }

    // Tells whether a cell's text is cut by its column; the full text is the cell's tooltip then.
    void setCutTest(std::function<bool(const QModelIndex&)> isCut) { m_isCut = std::move(isCut); }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : m_source->rowCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(m_columns.size());
    }

    QString text(int row, int column) const { return m_source->text(row, m_columns[size_t(column)]); }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole)
            return text(index.row(), index.column());
        if (role == Qt::ToolTipRole && m_isCut && m_isCut(index))
            return text(index.row(), index.column());
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

    // Whether a row holds the needle (folded, in UTF-8) in any shown column or its key.
    bool matches(int row, QByteArrayView needle) const {
        if (m_foldedEnds.isEmpty())
            foldRows();
        const quint32 begin = row ? m_foldedEnds[row - 1] : 0;
        return QByteArrayView(m_folded.constData() + begin, qsizetype(m_foldedEnds[row] - begin))
            .contains(needle);
    }

private:
    // Every row's searched texts folded, one after the other in one buffer (UTF-8, as the dataset
    // keeps them): most are plain ASCII and are only lowered. A number with separators is followed
    // by its bare digits.
    void foldRows() const {
        const QueryRows& rows = m_source->rows();
        m_foldedEnds.reserve(rowCount());
        for (int r = 0; r < rowCount(); ++r) {
            for (int c : m_searched) {
                const QByteArrayView cell = rows.utf8(r, c);
                if (std::all_of(cell.begin(), cell.end(), [](char b) { return uchar(b) < 0x80; })) {
                    const qsizetype at = m_folded.size();
                    m_folded.append(cell);
                    for (char* b = m_folded.data() + at; b != m_folded.data() + m_folded.size(); ++b)
                        if (*b >= 'A' && *b <= 'Z')
                            *b = char(*b + ('a' - 'A'));
                } else
                    m_folded.append(lookupFold(QString::fromUtf8(cell)).toUtf8());
                m_folded.append('\x1f'); // a match never spans two columns
                if (const QByteArray digits = bareDigits(cell); !digits.isEmpty()) {
                    m_folded.append(digits);
                    m_folded.append('\x1f');
                }
            }
            m_foldedEnds.push_back(quint32(m_folded.size()));
        }
        m_folded.squeeze();
    }

    const QueryRowsModel* m_source;
    std::vector<int> m_columns;
    std::vector<int> m_searched; // the shown columns and the key
    QStringList m_titles;
    int m_keyColumn;
    bool m_single;
    std::vector<char> m_checked;
    int m_count = 0;
    std::function<bool(const QModelIndex&)> m_isCut;
    mutable QByteArray m_folded;
    mutable QList<quint32> m_foldedEnds;
};

class LookupFilterModel : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    // The rows are mapped anew in one layout change: removing the rows that no longer pass one
    // stretch at a time costs the list's header a pass over every row for each stretch.
    void setNeedle(const QString& text) {
        m_needle = lookupFold(text.trimmed()).toUtf8();
        // "034.071.679-70" typed finds "03407167970" kept bare, and the other way round.
        m_bareNeedle = bareDigits(m_needle);
        withSortKeys(sortColumn(), [this] { invalidate(); });
    }

    // A column sorted by its header follows the database's order of names, not the system locale's.
    void sort(int column, Qt::SortOrder order) override {
        withSortKeys(column, [&] { QSortFilterProxyModel::sort(column, order); });
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex&) const override {
        if (m_needle.isEmpty())
            return true;
        const auto* rows = static_cast<LookupRowsModel*>(sourceModel());
        return rows->matches(row, m_needle) || (!m_bareNeedle.isEmpty() && rows->matches(row, m_bareNeedle));
    }
    bool lessThan(const QModelIndex& a, const QModelIndex& b) const override {
        if (!m_keys.empty())
            return m_keys[size_t(a.row())].compare(m_keys[size_t(b.row())]) < 0;
        return m_collator.compare(a.data().toString(), b.data().toString()) < 0;
    }

private:
    // Each row's collation key in that column is made once for a sort and dropped after it.
    template <class F> void withSortKeys(int column, F&& f) {
        const auto* rows = static_cast<const LookupRowsModel*>(sourceModel());
        if (rows && column >= 0 && column < rows->columnCount()) {
            m_keys.reserve(size_t(rows->rowCount()));
            for (int r = 0; r < rows->rowCount(); ++r)
                m_keys.push_back(m_collator.sortKey(rows->text(r, column)));
        }
        f();
        m_keys = {};
    }

    QByteArray m_needle;
    QByteArray m_bareNeedle; // its digits, when it is a number typed with separators
    QCollator m_collator = PortugueseCollation::collator();
    std::vector<QCollatorSortKey> m_keys; // while sorting only
};
