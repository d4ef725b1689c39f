#include "host/LibraryWriter.h"

#include "common/Error.h"
#include "host/EmbeddedSystem.h"
#include "host/HostSchema.h"
#include "host/ResultTable.h"
#include "host/SqliteDialect.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <sqlite3.h>

namespace zelvaro {

LibraryWriter::LibraryWriter(const QString& systemDir, const QString& library)
    : m_path(QDir(systemDir).filePath(library + QStringLiteral(".db"))),
      m_connection(QStringLiteral("library-writer-") + QUuid::createUuid().toString(QUuid::Id128))
{
    QDir().mkpath(systemDir);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(m_path + QLatin1String(suffix));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    if (!db.open()) throw HostError(db.lastError().text());
    EmbeddedSystem::shareWithGroup(m_path); // before the journal files are made
    exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    for (const QString& s : SqliteDialect::catalogSchemaSql(QStringLiteral("main")))
        exec(s);
}

LibraryWriter::~LibraryWriter()
{
    close();
}

void LibraryWriter::close()
{
    if (m_connection.isEmpty()) return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_connection.clear();
}

void LibraryWriter::exec(const QString& sql)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(sql)) throw HostError(SqliteDialect::hostMessage(q.lastError().databaseText()));
}

void LibraryWriter::createTable(const TableDef& table)
{
    exec(QStringLiteral("BEGIN"));
    for (const QString& s : SqliteDialect::createTableSql(QStringLiteral("main"), table))
        exec(s);
    exec(QStringLiteral("COMMIT"));
}

void LibraryWriter::insertRows(const TableDef& table, int count,
                               const std::function<QVariantList(int)>& row)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QStringList marks;
    for (size_t i = 0; i < table.columns.size(); ++i)
        marks << QStringLiteral("?");
    exec(QStringLiteral("BEGIN"));
    QSqlQuery q(db);
    if (!q.prepare(QStringLiteral("INSERT INTO \"%1\" VALUES(%2)")
                       .arg(table.name, marks.join(QLatin1Char(',')))))
        throw HostError(SqliteDialect::hostMessage(q.lastError().databaseText()));
    for (int i = 0; i < count; ++i) {
        const QVariantList values = row(i);
        for (int c = 0; c < int(values.size()); ++c) {
            // The driver binds an empty text as NULL; a blank is the same
            // value in a character column.
            const QVariant& v = values[c];
            const bool empty =
                v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
            q.bindValue(c, empty ? QVariant(QStringLiteral(" ")) : v);
        }
        if (!q.exec()) {
            const QString text = SqliteDialect::hostMessage(q.lastError().databaseText());
            exec(QStringLiteral("ROLLBACK"));
            throw HostError(text);
        }
    }
    exec(QStringLiteral("COMMIT"));
}

void LibraryWriter::insertTable(const TableDef& table, const ResultTable& rows)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw HostError(QStringLiteral("the library file has no native handle"));
    sqlite3* native = *static_cast<sqlite3* const*>(handle.data());
    QStringList marks;
    for (int c = 0; c < rows.fieldCount(); ++c)
        marks << QStringLiteral("?");
    const QByteArray sql = QStringLiteral("INSERT INTO \"%1\" VALUES(%2)")
                               .arg(table.name, marks.join(QLatin1Char(',')))
                               .toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(native, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK)
        throw HostError(SqliteDialect::hostMessage(QString::fromUtf8(sqlite3_errmsg(native))));
    exec(QStringLiteral("BEGIN"));
    const std::vector<FieldDef>& fields = rows.fields();
    for (int r = 0; r < rows.rowCount(); ++r) {
        for (int c = 0; c < rows.fieldCount(); ++c) {
            const FieldDef& f = fields[size_t(c)];
            if (f.isText()) {
                QStringView v = rows.textView(r, c);
                while (!v.isEmpty() && v.back() == u' ')
                    v.chop(1);
                if (v.isEmpty()) v = u" ";
                sqlite3_bind_text16(stmt, c + 1, v.utf16(), int(v.size() * 2), SQLITE_STATIC);
            } else if (f.type == FieldType::Integer) {
                sqlite3_bind_int64(stmt, c + 1, sqlite3_int64(rows.number(r, c)));
            } else {
                sqlite3_bind_double(stmt, c + 1, rows.number(r, c));
            }
        }
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            const QString text =
                SqliteDialect::hostMessage(QString::fromUtf8(sqlite3_errmsg(native)));
            sqlite3_finalize(stmt);
            exec(QStringLiteral("ROLLBACK"));
            throw HostError(text);
        }
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    exec(QStringLiteral("COMMIT"));
}

QString createEmbeddedLibrary(const QString& home, const QString& system, const QString& library)
{
    LibraryWriter w(QDir(home).filePath(QStringLiteral("hosts/") + system), library);
    for (const TableDef& t : hostTables())
        w.createTable(t);
    return w.path();
}

} // namespace zelvaro
