#include "host/HostConnection.h"

#include "common/Error.h"
#include "common/Text.h"
#include "host/EmbeddedSystem.h"
#include "host/SignOnGuard.h"
#include "host/SqlLog.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sqlite3.h>

#include <algorithm>
#include <cctype>

#include <sql.h>
#include <sqlext.h>

namespace zelvaro {

namespace {

// The embedded engine, set up once before its first connection: each
// connection is used by one thread only and nobody reads the engine's
// memory statistics, so neither the connection mutexes nor the allocator's
// statistics lock are needed (a tenth of the engine's work per statement).
// Too late once the engine is in use (a test that opened a file first):
// then it keeps its defaults.
void configureEmbeddedEngine()
{
    static const bool once = [] {
        sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    (void)once;
}

QString odbcValue(const QString& v)
{
    // Values with separators go in braces, a closing brace doubled inside.
    if (!v.contains(QLatin1Char(';')) && !v.contains(QLatin1Char('{')) &&
        !v.contains(QLatin1Char('}')) && !v.contains(QLatin1Char('=')) && v.trimmed() == v)
        return v;
    QString e = v;
    e.replace(QLatin1Char('}'), QLatin1String("}}"));
    return QLatin1Char('{') + e + QLatin1Char('}');
}

int lockWaitMs()
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue("ZELVARO_LOCK_WAIT_MS", &ok);
    return ok ? v : 3000;
}

QString sqlErrorText(const QSqlError& e)
{
    QString t = e.databaseText().trimmed();
    if (t.isEmpty()) t = e.driverText().trimmed();
    return t;
}

FieldDef fieldFromDriver(const QSqlField& f)
{
    FieldDef d;
    d.name = f.name();
    const int id = f.metaType().id();
    if (id == QMetaType::Int || id == QMetaType::LongLong || id == QMetaType::UInt ||
        id == QMetaType::ULongLong || id == QMetaType::Short)
        d.type = FieldType::Integer;
    else if (id == QMetaType::Double || id == QMetaType::Float)
        d.type = f.precision() > 0 ? FieldType::Decimal : FieldType::Integer;
    else
        d.type = FieldType::Char;
    d.width = qMax(0, f.length());
    d.scale = qMax(0, f.precision());
    if (d.type == FieldType::Decimal && d.scale == 0) d.type = FieldType::Integer;
    return d;
}

} // namespace

HostConnection::HostConnection(QString connectionName) : m_name(std::move(connectionName)) {}

HostConnection::~HostConnection()
{
    disconnect();
}

void HostConnection::setHostSystem(const QString& system)
{
    m_system = system;
}
void HostConnection::setUser(const QString& user)
{
    m_user = user;
}
void HostConnection::setPassword(const QString& password)
{
    m_password = password;
}
void HostConnection::setLibrary(const QString& library)
{
    m_library = library;
}

QString HostConnection::odbcConnectionString(bool* dataSource) const
{
    const std::vector<Param> params = buildParameters();
    *dataSource = !params.empty() && params.front().name == QLatin1String("DSN");
    if (*dataSource) return m_system;
    QStringList parts;
    for (const Param& p : params)
        parts << p.name + QLatin1Char('=') + odbcValue(p.value);
    return parts.join(QLatin1Char(';'));
}

std::vector<HostConnection::Param> HostConnection::buildParameters() const
{
    std::vector<Param> p;
    auto add = [&](const char* name, const QString& value) {
        if (!value.isEmpty()) p.push_back({QString::fromLatin1(name), value});
    };
    if (HostRoute::forSystem(m_system) == HostRoute::Kind::Embedded) {
        add("DRIVER", QStringLiteral("Embedded host"));
        add("SYSTEM", m_system);
        add("UID", m_user);
        add("PWD", m_password);
        add("DBQ", m_library);
        return p;
    }
    if (HostRoute::odbcDataSourceExists(m_system)) {
        add("DSN", m_system);
        add("UID", m_user);
        add("PWD", m_password);
        return p;
    }
    const QString driver = qEnvironmentVariable("ZELVARO_ODBC_DRIVER");
    add("DRIVER", driver.isEmpty() ? QStringLiteral("IBM i Access ODBC Driver") : driver);
    add("SYSTEM", m_system);
    add("UID", m_user);
    add("PWD", m_password);
    // Commit mode *CHG: uncommitted read; with true autocommit off, autocommit
    // runs under *NONE, so non-journaled files stay writable.
    add("CMT", QStringLiteral("2"));
    add("NAM", QStringLiteral("0"));
    add("DBQ", m_library);
    add("TRUEAUTOCOMMIT", QStringLiteral("0"));
    return p;
}

QStringList HostConnection::parameterLines(bool maskPassword) const
{
    QStringList lines;
    for (const Param& p : buildParameters()) {
        const bool secret = p.name == QLatin1String("PWD");
        lines << p.name + QLatin1Char('=') +
                     (secret && maskPassword ? QStringLiteral("********") : p.value);
    }
    return lines;
}

SqliteDialect::Translation HostConnection::translate(const QString& sql) const
{
    try {
        return m_dialect.translate(sql);
    } catch (const Error& e) {
        // Refused before it reached the database (a table the catalog does
        // not know): logged like any other failure.
        qCWarning(lcSql).noquote() << "failed:" << sql << "--" << e.text();
        throw;
    }
}

void HostConnection::fail(const QString& driverText, const QString& sql)
{
    // The failing statement is in the script before anything is shown.
    SqlLog::flush();
    const QString text = m_sqlite ? SqliteDialect::hostMessage(driverText) : driverText;
    qCWarning(lcSql).noquote() << "failed:" << sql << "--" << text;
    throw HostError(text);
}

qint64 HostConnection::runNative(const QString& sql)
{
    const QByteArray utf8 = sql.toUtf8();
    ++m_statements;
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(m_native, utf8.constData(), int(utf8.size()), &stmt, &tail);
    if (rc == SQLITE_OK && stmt) {
        // One statement per text: anything after it would change its meaning.
        for (const char* t = tail; t && *t; ++t) {
            if (!isspace(static_cast<unsigned char>(*t)) && *t != ';') {
                sqlite3_finalize(stmt);
                SqlLog::statement(sql);
                fail(QStringLiteral("syntax error: more than one statement"), sql);
            }
        }
        do {
            rc = sqlite3_step(stmt);
        } while (rc == SQLITE_ROW);
    }
    const QString error = (rc == SQLITE_DONE || (rc == SQLITE_OK && !stmt))
                              ? QString()
                              : QString::fromUtf8(sqlite3_errmsg(m_native));
    // Rows changed by this statement (a statement that changes none leaves
    // the count of the previous one in place, so it is read only for DML).
    const qint64 changed = stmt && !sqlite3_stmt_readonly(stmt) ? sqlite3_changes(m_native) : 0;
    sqlite3_finalize(stmt);
    qCDebug(lcSql).noquote() << sql;
    SqlLog::statementUtf8(utf8);
    if (!error.isNull()) fail(error, sql);
    return changed;
}

qint64 HostConnection::runSql(const QString& sql, bool logged)
{
    if (m_native && logged) return runNative(sql);
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    ++m_statements;
    const bool ok = q.exec(sql);
    qCDebug(lcSql).noquote() << sql;
    if (logged)
        SqlLog::statement(sql);
    else
        SqlLog::comment(sql);
    if (!ok) fail(sqlErrorText(q.lastError()), sql);
    return q.numRowsAffected();
}

void HostConnection::attachLibraries(const QString& folder)
{
    m_dialect.clear();
    const QDir dir(folder);
    // Only the library the connection uses is attached: other files of the
    // folder (more libraries than SQLite attaches, a stray NOTES.db, a name
    // no library has) are none of its business. The listings read libraries
    // on their own handles.
    QStringList files;
    if (HostRoute::checkLibraryName(m_library, QString()).isEmpty() &&
        QFileInfo(dir.filePath(m_library + QStringLiteral(".db"))).isFile())
        files << m_library + QStringLiteral(".db");
    const int wait = lockWaitMs();
    runSql(QStringLiteral("PRAGMA busy_timeout = %1").arg(wait), false);
    for (const QString& file : files) {
        const QString library = QFileInfo(file).completeBaseName();
        const QString lib = QLatin1Char('"') + library + QLatin1Char('"');
        EmbeddedSystem::shareWithGroup(dir.absoluteFilePath(file));
        runSql(QStringLiteral("ATTACH DATABASE %1 AS %2")
                   .arg(sqlQuote(dir.absoluteFilePath(file)), lib),
               false);
        // WAL with synchronous NORMAL: a crash of the program never loses a
        // committed statement, and each commit costs no fsync. A scratch
        // copy needs neither the durability nor the file locks of sharing.
        if (m_scratch) runSql(QStringLiteral("PRAGMA %1.locking_mode = EXCLUSIVE").arg(lib), false);
        runSql(QStringLiteral("PRAGMA %1.journal_mode = WAL").arg(lib), false);
        runSql(QStringLiteral("PRAGMA %1.synchronous = %2")
                   .arg(lib, m_scratch ? QStringLiteral("OFF") : QStringLiteral("NORMAL")),
               false);

        std::vector<TableDef> tables;
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        q.setForwardOnly(true);
        if (q.exec(SqliteDialect::catalogQuery(library))) {
            while (q.next()) {
                const QString name = q.value(0).toString();
                if (tables.empty() || tables.back().name != name) {
                    TableDef t;
                    t.name = name;
                    t.recordFormat = q.value(1).toString();
                    const QString key = q.value(2).toString();
                    if (!key.isEmpty()) t.uniqueKey = key.split(QLatin1Char(','));
                    tables.push_back(t);
                }
                ColumnDef c;
                c.field.name = q.value(3).toString();
                const QString type = q.value(4).toString();
                c.field.type = type == QLatin1String("CHAR")      ? FieldType::Char
                               : type == QLatin1String("DECIMAL") ? FieldType::Decimal
                                                                  : FieldType::Integer;
                const qint64 width = q.value(5).toLongLong();
                const qint64 scale = q.value(6).toLongLong();
                // Db2 for i: CHAR up to 32,766 bytes, DECIMAL up to 63 digits.
                // A damaged catalog must not size the views.
                const qint64 most = c.field.type == FieldType::Char      ? 32766
                                    : c.field.type == FieldType::Decimal ? 63
                                                                         : 19;
                if (width < 0 || width > most || scale < 0 || scale > qMax<qint64>(width, 0))
                    throw HostError(QStringLiteral("Library %1: column %2 of table %3 has a width "
                                                   "of %4 (scale %5), beyond what Db2 for i "
                                                   "allows (%6); the library's catalog is "
                                                   "damaged.")
                                        .arg(library, printable(c.field.name), printable(name))
                                        .arg(width)
                                        .arg(scale)
                                        .arg(most));
                c.field.width = int(width);
                c.field.scale = int(scale);
                for (int h = 0; h < 3; ++h)
                    c.headings[h] = q.value(7 + h).toString();
                tables.back().columns.push_back(c);
            }
        }
        // A library without its catalog would give every column a width of
        // zero: blank placards, mis-split texts. The library in force must
        // have one.
        if (library == m_library && tables.empty())
            throw HostError(QStringLiteral("Library %1 has no catalog (ZH_SYSTABLES and "
                                           "ZH_SYSCOLUMNS are missing or empty); it cannot be "
                                           "opened.")
                                .arg(library));
        m_dialect.setLibrary(library, tables);
    }
}

void HostConnection::connect()
{
    disconnect();
    const std::vector<Param> params = buildParameters();
    const HostRoute::Kind route = HostRoute::forSystem(m_system);
    m_dbms.clear();
    m_sqlite = false;

    if (route == HostRoute::Kind::Embedded) {
        if (m_system.isEmpty())
            throw HostError(QStringLiteral("CWBCO1003 - No host system name was given."));
        const QString problem =
            HostRoute::checkEmbeddedSystemName(m_system, QStringLiteral("The host system"));
        if (!problem.isEmpty()) throw HostError(problem);
        const QString folder = HostRoute::embeddedSystemDir(m_system);
        if (!QFileInfo(folder).isDir())
            throw HostError(QStringLiteral("CWBCO1003 - Host system %1 was not found (%2).")
                                .arg(m_system, QDir::toNativeSeparators(folder)));
        SignOnGuard::checkNotRefused(m_system, m_user, m_password);
        SignOnGuard::countAttempt();
        try {
            EmbeddedSystem(folder).signOn(m_user, m_password, QStringLiteral("SQL"));
        } catch (const HostError& e) {
            throw HostError(SignOnGuard::refused(m_system, m_user, m_password, e.text()));
        }
        configureEmbeddedEngine();
        {
            // No copy of the database object outlives this block: a failure
            // below removes the connection, which a live copy would keep.
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
            db.setDatabaseName(QStringLiteral(":memory:"));
            if (!db.open()) {
                const QString text = sqlErrorText(db.lastError());
                db = QSqlDatabase();
                QSqlDatabase::removeDatabase(m_name);
                throw HostError(text);
            }
            const QVariant handle = db.driver()->handle();
            if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
                m_native = *static_cast<sqlite3* const*>(handle.data());
        }
        m_connected = true;
        m_sqlite = true;
        m_dbms = QStringLiteral("SQLite");
        try {
            attachLibraries(folder);
        } catch (...) {
            disconnect();
            throw;
        }
        return;
    }

    QStringList parts;
    for (const Param& p : params)
        parts << p.name + QLatin1Char('=') + odbcValue(p.value);
    if (m_system.isEmpty())
        throw HostError(QStringLiteral("CWBCO1003 - No host system name was given."));
    if (params.front().name == QLatin1String("DRIVER") &&
        !HostRoute::isIbmiDriver(params.front().value))
        throw HostError(QStringLiteral("ZELVARO_ODBC_DRIVER \"%1\" is not an IBM i Access ODBC "
                                       "driver: the host password is handed only to a driver "
                                       "that signs on to IBM i with it. Name an IBM i driver, or "
                                       "configure an ODBC data source for %2 (`odbcinst -q -s`).")
                            .arg(printable(params.front().value), printable(m_system)));
    SignOnGuard::checkNotRefused(m_system, m_user, m_password);
    SignOnGuard::countAttempt();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
    if (params.front().name == QLatin1String("DSN")) {
        // The driver takes a bare data source name and adds "DSN=" itself.
        db.setDatabaseName(m_system);
        db.setUserName(m_user);
        db.setPassword(m_password);
    } else {
        db.setDatabaseName(parts.join(QLatin1Char(';')));
    }
    if (!db.open()) {
        const QString text = sqlErrorText(db.lastError());
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        QString message =
            text.isEmpty() ? QStringLiteral("Unable to connect to %1").arg(m_system) : text;
        // The driver manager could not load the driver: say where its name
        // comes from and how to see the installed ones.
        if (params.front().name == QLatin1String("DRIVER") &&
            (text.contains(QLatin1String("Can't open lib")) ||
             text.contains(QLatin1String("no default driver")))) {
            QStringList installed = HostRoute::odbcDrivers();
            installed.erase(
                std::remove_if(installed.begin(), installed.end(),
                               [](const QString& d) { return !HostRoute::isIbmiDriver(d); }),
                installed.end());
            message += QStringLiteral("\nThe ODBC driver \"%1\" is not installed: set "
                                      "ZELVARO_ODBC_DRIVER to an IBM i Access ODBC driver that "
                                      "`odbcinst -q -d` lists (installed here: %2), or install "
                                      "IBM i Access.")
                           .arg(params.front().value, installed.isEmpty()
                                                          ? QStringLiteral("none")
                                                          : installed.join(QStringLiteral(", ")));
        }
        throw HostError(SignOnGuard::refused(m_system, m_user, m_password, message));
    }
    m_connected = true;

    // Which SQL the other end speaks decides the translation.
    const QVariant handle = db.driver()->handle();
    if (handle.isValid()) {
        SQLHDBC hdbc = *static_cast<SQLHDBC const*>(handle.data());
        SQLCHAR name[256] = {0};
        SQLSMALLINT len = 0;
        if (SQL_SUCCEEDED(SQLGetInfo(hdbc, SQL_DBMS_NAME, name, sizeof name, &len)))
            m_dbms = QString::fromLocal8Bit(reinterpret_cast<const char*>(name));
    }
    if (m_dbms.contains(QLatin1String("SQLite"), Qt::CaseInsensitive)) {
        m_sqlite = true;
        try {
            // The data source names one library file; its folder is the host
            // system, and every library in it is attached under its name.
            QString mainFile;
            {
                QSqlQuery q(db);
                if (q.exec(QStringLiteral("PRAGMA database_list"))) {
                    while (q.next()) {
                        if (q.value(1).toString() == QLatin1String("main"))
                            mainFile = q.value(2).toString();
                    }
                }
            }
            db = QSqlDatabase(); // no copy may outlive a failure's disconnect
            attachLibraries(QFileInfo(mainFile).absolutePath());
        } catch (...) {
            disconnect();
            throw;
        }
    }
}

void HostConnection::disconnect()
{
    if (!QSqlDatabase::contains(m_name)) {
        m_connected = false;
        return;
    }
    m_native = nullptr;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_connected = false;
    m_dialect.clear();
}

std::shared_ptr<ResultTable> HostConnection::query(const QString& sql, bool sizeFirst)
{
    if (!m_connected) throw HostError(QStringLiteral("Connection to the host is not open."));
    // A query never given its text (its view was not reached) is no statement.
    if (sql.trimmed().isEmpty()) throw HostError(QStringLiteral("The query has no SQL text."));
    QString text = sql;
    const TableDef* source = nullptr;
    if (m_sqlite) {
        const SqliteDialect::Translation t = translate(sql);
        text = t.statements.join(QLatin1String("; "));
        source = t.source;
    }

    if (m_native) return queryNative(text, source, sizeFirst);

    QSqlQuery q(QSqlDatabase::database(m_name, false));
    q.setForwardOnly(true);
    ++m_statements;
    const bool ok = q.exec(text);
    qCDebug(lcSql).noquote() << text;
    SqlLog::statement(text);
    if (!ok) fail(sqlErrorText(q.lastError()), text);

    const QSqlRecord rec = q.record();
    std::vector<FieldDef> fields;
    fields.reserve(rec.count());
    for (int i = 0; i < rec.count(); ++i) {
        FieldDef f = fieldFromDriver(rec.field(i));
        if (source) {
            if (const ColumnDef* c = source->column(f.name)) f = c->field;
            f.fixedWidth = f.isText() && f.width > 0;
        } else if (!m_sqlite) {
            const int sqlType = rec.field(i).typeID();
            f.fixedWidth =
                f.isText() && f.width > 0 && (sqlType == SQL_CHAR || sqlType == SQL_WCHAR);
        }
        fields.push_back(f);
    }
    auto table = std::make_shared<ResultTable>(fields);
    const int n = int(fields.size());
    while (q.next()) {
        // Fixed-width columns pad (and so give host CHAR semantics) themselves.
        for (int c = 0; c < n; ++c)
            table->appendCell(c, q.value(c));
        table->endRow();
    }
    if (q.lastError().isValid()) fail(sqlErrorText(q.lastError()), text);
    return table;
}

std::shared_ptr<ResultTable> HostConnection::queryNative(const QString& sql, const TableDef* source,
                                                         bool sizeFirst)
{
    const QByteArray utf8 = sql.toUtf8();
    ++m_statements;
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(m_native, utf8.constData(), int(utf8.size()), &stmt, nullptr);
    qCDebug(lcSql).noquote() << sql;
    SqlLog::statement(sql);
    if (rc != SQLITE_OK || !stmt) {
        const QString error = QString::fromUtf8(sqlite3_errmsg(m_native));
        sqlite3_finalize(stmt);
        fail(error, sql);
    }
    const int n = sqlite3_column_count(stmt);
    std::vector<FieldDef> fields;
    fields.reserve(n);
    for (int c = 0; c < n; ++c) {
        FieldDef f;
        f.name = QString::fromUtf8(sqlite3_column_name(stmt, c));
        const ColumnDef* col = source ? source->column(f.name) : nullptr;
        if (col) {
            f = col->field;
            f.fixedWidth = f.isText() && f.width > 0;
        } else {
            const char* decl = sqlite3_column_decltype(stmt, c);
            const QByteArray type = QByteArray(decl ? decl : "").toUpper();
            f.type = type.contains("INT")    ? FieldType::Integer
                     : type.contains("REAL") ? FieldType::Decimal
                                             : FieldType::Char;
            if (f.type == FieldType::Decimal) f.scale = 5;
        }
        fields.push_back(f);
    }
    auto table = std::make_shared<ResultTable>(fields);
    // The number of rows first (the library counts a table without reading
    // its rows): the columns are sized once instead of growing by copies.
    if (sizeFirst) {
        sqlite3_stmt* count = nullptr;
        const QByteArray countSql = "SELECT count(*) FROM (" + sql.toUtf8() + ")";
        if (sqlite3_prepare_v2(m_native, countSql.constData(), int(countSql.size()), &count,
                               nullptr) == SQLITE_OK &&
            sqlite3_step(count) == SQLITE_ROW)
            table->reserveRows(sqlite3_column_int64(count, 0));
        sqlite3_finalize(count);
    }
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int c = 0; c < n; ++c) {
            const FieldDef& f = fields[c];
            if (f.isText()) {
                // Host text is mostly ASCII: widen it here without the
                // library's UTF-16 conversion; anything else goes through UTF-8.
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                const int bytes = sqlite3_column_bytes(stmt, c);
                bool ascii = true;
                for (int b = 0; b < bytes && ascii; ++b)
                    ascii = static_cast<unsigned char>(text[b]) < 0x80;
                if (ascii) {
                    char16_t buffer[512];
                    if (bytes <= 512) {
                        for (int b = 0; b < bytes; ++b)
                            buffer[b] = char16_t(static_cast<unsigned char>(text[b]));
                        table->appendText(c, QStringView(buffer, bytes));
                    } else {
                        table->appendText(c, QString::fromLatin1(text, bytes));
                    }
                } else {
                    table->appendText(c, QString::fromUtf8(text, bytes));
                }
            } else if (sqlite3_column_type(stmt, c) == SQLITE_NULL &&
                       f.type == FieldType::Integer && !source) {
                table->appendCell(c, QVariant());
            } else {
                table->appendCell(c, sqlite3_column_double(stmt, c));
            }
        }
        table->endRow();
    }
    const QString error =
        rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(m_native));
    sqlite3_finalize(stmt);
    if (!error.isNull()) fail(error, sql);
    return table;
}

qint64 HostConnection::execute(const QString& sql)
{
    if (statementObserver) statementObserver(sql);
    if (!m_connected) throw HostError(QStringLiteral("Connection to the host is not open."));
    if (!m_sqlite) return runSql(sql);
    const SqliteDialect::Translation t = translate(sql);
    qint64 rows = 0;
    if (!t.transaction) {
        for (const QString& s : t.statements)
            rows += qMax<qint64>(0, runSql(s));
        return rows;
    }
    runSql(QStringLiteral("BEGIN"));
    try {
        for (const QString& s : t.statements)
            rows += qMax<qint64>(0, runSql(s));
        runSql(QStringLiteral("COMMIT"));
    } catch (...) {
        try {
            runSql(QStringLiteral("ROLLBACK"));
        } catch (...) {
        }
        throw;
    }
    if (t.alteredColumn)
        m_dialect.recordAlteredColumn(t.alteredColumn->first, t.alteredTable,
                                      t.alteredColumn->second);
    return rows;
}

} // namespace zelvaro
