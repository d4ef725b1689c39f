#pragma once

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcSql)

namespace zelvaro {

// The statement stream as an SQL script: each statement as the database
// executed it, ended by ";" and a line break, appended to a file so that the
// sqlite3 program can replay it. Statements that only make sense on this
// connection (attaching files, pragmas) are written as comments.
class SqlLog {
public:
    // An empty path switches the script off. The default comes from the
    // environment variable ZELVARO_SQL_LOG.
    static void setPath(const QString& path);
    static QString path();
    static void statement(const QString& sql);
    // The same for a statement already in UTF-8 (as the database got it).
    static void statementUtf8(const QByteArray& sql);
    static void comment(const QString& text);
    // Writes what waits now: before the program may block or stop (a
    // failure about to be shown, a request to a service).
    static void flush();
};

} // namespace zelvaro
