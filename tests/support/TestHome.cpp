#include "support/TestHome.h"

#include "host/HostSchema.h"
#include "host/LibraryWriter.h"
#include "settings/PasswordCodec.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

namespace zelvaro::test {

TestHome::TestHome() : m_oldHome(qgetenv("ZELVARO_HOME"))
{
    qputenv("ZELVARO_HOME", m_dir.path().toLocal8Bit());
}

TestHome::TestHome(const QString& fixedPath)
    : m_fixed(fixedPath), m_oldHome(qgetenv("ZELVARO_HOME"))
{
    QDir(m_fixed).removeRecursively();
    QDir().mkpath(m_fixed);
    qputenv("ZELVARO_HOME", m_fixed.toLocal8Bit());
}

TestHome::~TestHome()
{
    if (m_oldHome.isEmpty())
        qunsetenv("ZELVARO_HOME");
    else
        qputenv("ZELVARO_HOME", m_oldHome);
}

QString TestHome::file(const QString& name) const
{
    return QDir(path()).filePath(name);
}

QString TestHome::createLibrary(const QString& system, const QString& library)
{
    return createEmbeddedLibrary(path(), system, library);
}

void TestHome::insert(const QString& libraryFile, const QString& table,
                      const std::vector<QVariantList>& rows)
{
    // Reopen the library file without recreating it.
    const QFileInfo info(libraryFile);
    const QString conn = QStringLiteral("test-insert");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn);
        db.setDatabaseName(libraryFile);
        db.open();
        const TableDef* def = hostTable(table);
        for (const QVariantList& r : rows) {
            QSqlQuery q(db);
            QStringList marks;
            QStringList cols;
            for (int i = 0; i < int(r.size()); ++i) {
                marks << QStringLiteral("?");
                cols << QLatin1Char('"') + def->columns[i].field.name + QLatin1Char('"');
            }
            q.prepare(QStringLiteral("INSERT INTO \"%1\"(%2) VALUES(%3)")
                          .arg(table, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
            for (int i = 0; i < int(r.size()); ++i) {
                const QVariant& v = r[i];
                const bool empty = v.typeId() == QMetaType::QString && v.toString().isEmpty();
                q.bindValue(i, empty ? QVariant(QStringLiteral(" ")) : v);
            }
            if (!q.exec()) qFatal("test insert failed: %s", qPrintable(q.lastError().text()));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(conn);
}

void TestHome::exec(const QString& libraryFile, const QStringList& statements)
{
    const QString conn = QStringLiteral("test-exec");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn);
        db.setDatabaseName(libraryFile);
        db.open();
        for (const QString& sql : statements) {
            QSqlQuery q(db);
            if (!q.exec(sql)) qFatal("test statement failed: %s", qPrintable(q.lastError().text()));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(conn);
}

void TestHome::writeSettings(const QString& system, const QString& library)
{
    Settings s(file(QStringLiteral("INVSIG.INI")));
    s.writeText(QStringLiteral("Transfer"), QStringLiteral("Host"), system);
    s.writeText(QStringLiteral("Transfer"), QStringLiteral("DataLib"), library);
    s.writeText(QStringLiteral("Transfer"), QStringLiteral("User"), QStringLiteral("QUSER"));
    s.writeText(QStringLiteral("Transfer"), QStringLiteral("PWD"),
                encodePassword(QStringLiteral("secret")));
    s.writeBool(QStringLiteral("Transfer"), QStringLiteral("Pwdv2"), true);
}

namespace {
QString& odbcHomeStorage()
{
    static QString home;
    return home;
}
} // namespace

void setUpOdbcForProcess()
{
#ifdef ZELVARO_SQLITE_ODBC_DRIVER
    const QString folder =
        QDir(QDir::tempPath())
            .filePath(QStringLiteral("zelvaro-odbc-%1").arg(QCoreApplication::applicationPid()));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString home = QDir(folder).filePath(QStringLiteral("home"));
    {
        QFile f(QDir(folder).filePath(QStringLiteral("odbcinst.ini")));
        f.open(QIODevice::WriteOnly);
        QTextStream(&f) << "[SQLite3 Test]\nDriver=" << ZELVARO_SQLITE_ODBC_DRIVER << "\n";
    }
    {
        QFile f(QDir(folder).filePath(QStringLiteral("odbc.ini")));
        f.open(QIODevice::WriteOnly);
        // A name as administrators write them (blanks, a dot), and one whose
        // driver cannot be loaded.
        QTextStream(&f) << "[TESTSYS]\nDriver=SQLite3 Test\nDatabase=" << home
                        << "/hosts/TESTSYS/CO01DATA.db\nTimeout=3000\n"
                        << "[Prod Host 7.5]\nDriver=SQLite3 Test\nDatabase=" << home
                        << "/hosts/TESTSYS/CO01DATA.db\nTimeout=3000\n"
                        << "[BROKEN]\nDriver=/nonexistent/libnodriver.so\n";
    }
    qputenv("ODBCSYSINI", folder.toLocal8Bit());
    qputenv("ODBCINI", QDir(folder).filePath(QStringLiteral("odbc.ini")).toLocal8Bit());
    odbcHomeStorage() = home;
#endif
}

QString odbcTestHome()
{
    return odbcHomeStorage();
}

ScopedEnv::ScopedEnv(const char* name, const QString& value)
    : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name))
{
    qputenv(name, value.toLocal8Bit());
}

ScopedEnv::~ScopedEnv()
{
    if (m_had)
        qputenv(m_name, m_old);
    else
        qunsetenv(m_name);
}

} // namespace zelvaro::test
