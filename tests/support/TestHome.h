#pragma once

#include "host/FieldDef.h"
#include "support/QtPrinters.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <vector>

namespace zelvaro::test {

// A temporary ZELVARO_HOME, set in the environment while the object lives.
class TestHome {
public:
    TestHome();
    // A home at a fixed folder, emptied first (for the ODBC data source,
    // whose file must stay at one path for the whole process).
    explicit TestHome(const QString& fixedPath);
    ~TestHome();
    QString path() const { return m_fixed.isEmpty() ? m_dir.path() : m_fixed; }
    QString file(const QString& name) const;
    // Creates hosts/<system>/<library>.db with the seven ERP tables.
    QString createLibrary(const QString& system = QStringLiteral("TESTSYS"),
                          const QString& library = QStringLiteral("CO01DATA"));
    // Inserts rows into a table of a library file.
    void insert(const QString& libraryFile, const QString& table,
                const std::vector<QVariantList>& rows);
    // Runs statements directly on a library file (outside the program).
    static void exec(const QString& libraryFile, const QStringList& statements);
    void writeSettings(const QString& system = QStringLiteral("TESTSYS"),
                       const QString& library = QStringLiteral("CO01DATA"));

private:
    QTemporaryDir m_dir;
    QString m_fixed;
    QByteArray m_oldHome;
};

// unixODBC reads its configuration paths once per process, so the test main
// sets up one odbcinst.ini and odbc.ini for the whole run: the data sources
// TESTSYS and "Prod Host 7.5" point at <odbcTestHome()>/hosts/TESTSYS/CO01DATA.db,
// BROKEN at a driver that cannot be loaded.
void setUpOdbcForProcess();
// The home whose library the data source names; empty when the SQLite ODBC
// driver is not installed.
QString odbcTestHome();

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value);
    ~ScopedEnv();

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

} // namespace zelvaro::test
