#include "host/HostRoute.h"

#include "common/Text.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFileInfo>

#include <sql.h>
#include <sqlext.h>

namespace zelvaro {

HostRoute::Kind HostRoute::forSystem(const QString& system)
{
    const QString forced = qEnvironmentVariable("ZELVARO_HOST_DRIVER").toLower();
    if (forced == QLatin1String("odbc")) return Kind::Odbc;
    if (forced == QLatin1String("embedded")) return Kind::Embedded;
    // Per system: one with a folder under hosts/ is embedded, any other is
    // reached over ODBC (a home can hold the demo beside a real host).
    return !system.isEmpty() && checkEmbeddedSystemName(system, QString()).isEmpty() &&
                   QFileInfo(embeddedSystemDir(system)).isDir()
               ? Kind::Embedded
               : Kind::Odbc;
}

QString HostRoute::embeddedSystemDir(const QString& system)
{
    return QDir(Settings::homeDir()).filePath(QStringLiteral("hosts/") + system);
}

bool HostRoute::odbcDataSourceExists(const QString& name)
{
    if (name.isEmpty()) return false;
    // Data source names match without regard to case, as the driver manager's do.
    return odbcDataSources().contains(name, Qt::CaseInsensitive);
}

QStringList HostRoute::odbcDataSources()
{
    QStringList names;
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return names;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLCHAR dsn[SQL_MAX_DSN_LENGTH + 1];
    SQLCHAR desc[512];
    SQLSMALLINT dsnLen = 0, descLen = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(
        SQLDataSources(env, direction, dsn, sizeof dsn, &dsnLen, desc, sizeof desc, &descLen))) {
        names << QString::fromLocal8Bit(reinterpret_cast<const char*>(dsn));
        direction = SQL_FETCH_NEXT;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return names;
}

QStringList HostRoute::odbcDrivers()
{
    QStringList names;
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return names;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLCHAR name[256];
    SQLCHAR attrs[1024];
    SQLSMALLINT nameLen = 0, attrsLen = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(
        SQLDrivers(env, direction, name, sizeof name, &nameLen, attrs, sizeof attrs, &attrsLen))) {
        names << QString::fromLocal8Bit(reinterpret_cast<const char*>(name));
        direction = SQL_FETCH_NEXT;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return names;
}

bool HostRoute::isIbmiDriver(const QString& name)
{
    for (const char* mark : {"IBM i", "iSeries", "iAccess", "Client Access", "AS/400", "AS400"})
        if (name.contains(QLatin1String(mark), Qt::CaseInsensitive)) return true;
    return false;
}

QString HostRoute::checkLibraryName(const QString& name, const QString& key)
{
    bool ok = !name.isEmpty() && name.size() <= 10 && !name.front().isDigit();
    for (const QChar c : name) {
        ok = ok && ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                    (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('$') ||
                    c == QLatin1Char('#') || c == QLatin1Char('@') || c == QLatin1Char('_'));
    }
    if (ok) return {};
    return QStringLiteral("%1 \"%2\" is not a library name: 1 to 10 characters A-Z, 0-9, $, #, "
                          "@ or _, not starting with a digit.")
        .arg(key, printable(name));
}

QString HostRoute::checkSystemName(const QString& name, const QString& key)
{
    // An ODBC data source name is free text (blanks, dots, up to 32
    // characters): one the driver manager lists is a system as it stands.
    bool control = false;
    for (const QChar c : name)
        control = control || c.category() == QChar::Other_Control;
    if (!control && name.size() <= SQL_MAX_DSN_LENGTH && odbcDataSourceExists(name) &&
        forSystem(name) == Kind::Odbc)
        return {};
    return checkEmbeddedSystemName(name, key);
}

QString HostRoute::checkEmbeddedSystemName(const QString& name, const QString& key)
{
    bool ok = !name.contains(QLatin1String(".."));
    for (const QChar c : name) {
        ok = ok && c != QLatin1Char('/') && c != QLatin1Char('\\') && !c.isSpace() &&
             c.category() != QChar::Other_Control;
    }
    if (ok) return {};
    return QStringLiteral("%1 \"%2\" is not a host system name: it may hold no path separator, "
                          "\"..\", control character or blank.")
        .arg(key, printable(name));
}

} // namespace zelvaro
