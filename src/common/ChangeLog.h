#pragma once

#include <QDateTime>
#include <QSet>
#include <QString>
#include <vector>

namespace zelvaro {

// The changes of one update run, column by column, and its change report:
// $ZELVARO_HOME/changes/<start as YYYYMMDD-HHMMSS>.csv (a dry run's plan:
// <start>-dry-run.csv), RFC 4180, UTF-8, header "table,key,column,old,new",
// one line per changed column of a changed or added row, keys and values
// without trailing blanks. Written to a temporary name and renamed at the
// end, so a report is whole or absent.
class ChangeLog {
public:
    // One changed column; `key` is the row's key fields joined by ";".
    struct Change {
        QString table;
        QString key;
        QString column;
        QString oldValue;
        QString newValue;
    };

    // Records one column of a row; nothing when old and new are equal as
    // the host compares them (without trailing blanks).
    void record(const QString& table, const QString& key, const QString& column,
                const QString& oldValue, const QString& newValue);
    const std::vector<Change>& changes() const { return m_changes; }
    // Rows with at least one changed column.
    int changedRows() const { return int(m_rows.size()); }

    // The report's file name for a run started at `start`.
    static QString fileName(const QDateTime& start, bool dryRun);
    // Writes the report into `folder` (made when missing); false with the
    // reason when it cannot.
    bool write(const QString& folder, const QString& fileName, QString* error) const;
    // The CSV text (header included).
    QByteArray csv() const;
    // Reads a report back (for showing it); nothing for a file that is not one.
    static bool read(const QString& path, std::vector<Change>* changes, QString* error);

private:
    std::vector<Change> m_changes;
    QSet<QString> m_rows;
};

} // namespace zelvaro
