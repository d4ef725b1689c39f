#pragma once

#include "host/HostRoute.h"
#include "host/ResultTable.h"
#include "host/SqliteDialect.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

struct sqlite3;

namespace zelvaro {

// The one SQL connection to the host. Every SQL text of the system runs
// through it: a real IBM i through ODBC, or the embedded host (SQLite files
// that behave like Db2 for i), reached through Qt's SQLite driver or through
// an SQLite ODBC driver; HostRoute says which. Above this class nothing
// knows which it talks to. Its sign-on goes through the SignOnGuard.
//
// Autocommit is on: each statement commits by itself. Failures raise
// HostError carrying the host's message text.
class HostConnection {
public:
    explicit HostConnection(QString connectionName = QStringLiteral("WWW400"));
    ~HostConnection();
    HostConnection(const HostConnection&) = delete;
    HostConnection& operator=(const HostConnection&) = delete;

    // Connection parameters; an empty value removes its line.
    void setHostSystem(const QString& system);
    void setUser(const QString& user);
    void setPassword(const QString& password);
    void setLibrary(const QString& library);
    const QString& hostSystem() const { return m_system; }
    const QString& user() const { return m_user; }
    const QString& password() const { return m_password; }

    // The parameter lines given to the driver, "NAME=value", in order. The
    // password's value is masked unless asked for in clear.
    QStringList parameterLines(bool maskPassword = true) const;

    void connect();
    void disconnect();
    // A scratch library (an embedded copy nobody else opens, gone after
    // use): held exclusively and never synced. Set before connect().
    void setScratch(bool on) { m_scratch = on; }
    bool isConnected() const { return m_connected; }

    // Runs a query and returns all its rows with field definitions;
    // character values keep their trailing blanks.
    // `sizeFirst`: count the rows before reading them, so that a large
    // result is stored without its columns growing by copies (for loading
    // whole tables; not worth a second statement for a few rows).
    std::shared_ptr<ResultTable> query(const QString& sql, bool sizeFirst = false);
    // Runs a statement that returns no rows, committed by itself. Returns
    // the number of rows it inserted, updated or deleted (-1 when the driver
    // cannot tell).
    qint64 execute(const QString& sql);

    // Called with each statement's text as the system built it (before any
    // translation), whether it succeeds or not.
    std::function<void(const QString&)> statementObserver;

    // The DBMS name the driver reports ("SQLite" for the embedded host).
    const QString& dbmsName() const { return m_dbms; }
    bool translatesToSqlite() const { return m_sqlite; }
    const SqliteDialect& dialect() const { return m_dialect; }
    qint64 statementCount() const { return m_statements; }

    // What the ODBC route connects with: the data source name (then
    // `dataSource` is set and user and password go separately) or the
    // driver keywords.
    QString odbcConnectionString(bool* dataSource) const;

private:
    struct Param {
        QString name;
        QString value;
    };
    std::vector<Param> buildParameters() const;
    void attachLibraries(const QString& folder);
    qint64 runSql(const QString& sql, bool logged = true);
    // Qt's SQLite driver: statements and queries go straight to its
    // connection handle, saving the per-statement work of the Qt layer.
    qint64 runNative(const QString& sql);
    std::shared_ptr<ResultTable> queryNative(const QString& sql, const TableDef* source,
                                             bool sizeFirst);
    SqliteDialect::Translation translate(const QString& sql) const;
    [[noreturn]] void fail(const QString& driverText, const QString& sql);

    QString m_name;
    QString m_system;
    QString m_user;
    QString m_password;
    QString m_library;
    bool m_connected = false;
    ::sqlite3* m_native = nullptr;
    bool m_scratch = false;
    bool m_sqlite = false;
    QString m_dbms;
    SqliteDialect m_dialect;
    qint64 m_statements = 0;
};

} // namespace zelvaro
