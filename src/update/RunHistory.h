#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace zelvaro {

// One update run as the history keeps it.
struct RunRecord {
    QDateTime started;
    QDateTime ended;
    QString startedBy; // "window", "unattended" or "batch"
    QString source;    // "CDMS" or "Agrian"
    int dotAdded = 0;
    int dotUpdated = 0;
    int hazardAdded = 0;
    int hazardUpdated = 0;
    int itemsNotUpdated = 0;
    int changedRows = 0; // rows the run changed or added
    QString report;      // its change report's file name under changes/
    QString result;      // "exit 0", "exit 1" or "stopped: <reason>"
};

// The run history: $ZELVARO_HOME/history.log, one line per update run,
// twelve tab-separated fields in RunRecord's order (lines of ten, written
// before the change report, are read too), times in ISO 8601 local
// time with the offset. A line is appended by one write to a file opened
// for appending, so a run killed while writing leaves it whole or absent.
class RunHistory {
public:
    explicit RunHistory(QString path = defaultPath());
    static QString defaultPath();
    const QString& path() const { return m_path; }

    // The record's line, ended by a line feed; tabs and line breaks inside
    // a field become blanks.
    static QByteArray formatLine(const RunRecord& record);
    // Nothing for a line that is not a run record.
    static std::optional<RunRecord> parseLine(const QByteArray& line);

    // False, with the reason in `error`, when the line could not be written.
    bool append(const RunRecord& record, QString* error = nullptr) const;

    struct Listing {
        bool exists = false;
        std::vector<RunRecord> records; // oldest first
        QStringList notes;              // one per line skipped as malformed
        QString error;                  // the file exists but cannot be read
    };
    // The last `count` well-formed records.
    Listing readLast(int count) const;

    static QStringList columnTitles();
    static QStringList cells(const RunRecord& record);
    // The records as a text table: a title line, then one line each, the
    // columns aligned.
    static QString table(const std::vector<RunRecord>& records);

private:
    QString m_path;
};

} // namespace zelvaro
