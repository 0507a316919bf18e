#pragma once
// The rows of a report as its columns show them, kept compactly: each row's texts in UTF-8, one after
// another, in blocks of about 64 kB. Full blocks go to a temporary file and are read back, a few at a
// time, when a page or an export needs their rows, so what a report holds in memory does not grow with
// its rows. Reading is safe from several threads (the preview draws while a worker prints).
#include "host_export.h"

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QTemporaryFile;

class HOST_EXPORT ReportRowStore {
public:
    struct Row {
        QStringList cells;
        QString groupKey, groupTitle; // empty when the report does not group
    };
    // Rows encoded where they are read (a run's worker), for append(Encoded).
    struct Encoded {
        QByteArray bytes;
        int rows = 0;
        void add(const QStringList& cells, const QString& groupKey, const QString& groupTitle);
    };

    ReportRowStore();
    ~ReportRowStore();
    ReportRowStore(const ReportRowStore&) = delete;
    ReportRowStore& operator=(const ReportRowStore&) = delete;

    // Throw EHostError naming the temporary file when it cannot be written (a full disk).
    void append(const QStringList& cells, const QString& groupKey, const QString& groupTitle);
    void append(const Encoded& rows);
    int count() const { return m_count; }

    // The rows from..count()-1 in order, until visit returns false. Throws EHostError when the
    // temporary file cannot be read back.
    void read(int from, const std::function<bool(int index, const Row& row)>& visit) const;
    Row row(int index) const;

private:
    struct Block {
        qint64 offset = 0; // in the file
        int bytes = 0;
        int firstRow = 0;
    };
    void appendEncoded(const char* row, int size);
    void flush();
    std::shared_ptr<const QByteArray> block(size_t index) const;

    std::vector<Block> m_blocks; // written to the file
    QByteArray m_tail;           // the rows after them, in memory
    int m_tailFirstRow = 0;
    int m_count = 0;
    std::unique_ptr<QTemporaryFile> m_file;
    mutable QMutex m_mutex; // the file's position and the blocks kept
    mutable std::vector<std::pair<size_t, std::shared_ptr<const QByteArray>>> m_kept;
};
