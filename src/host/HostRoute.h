#pragma once

#include <QString>
#include <QStringList>

namespace zelvaro {

// Which way a host system is reached, and the names each way accepts: a
// system with a folder under the home's hosts/ is the embedded host (SQLite
// library files that behave like Db2 for i), any other a real IBM i over
// ODBC (a configured data source, else the IBM i Access driver); the
// environment variable ZELVARO_HOST_DRIVER ("embedded", "odbc") forces one.
// HostConnection (SQL) and HostLister (the list APIs) both ask here.
class HostRoute {
public:
    enum class Kind { Embedded, Odbc };

    static Kind forSystem(const QString& system);
    // The folder of an embedded host system.
    static QString embeddedSystemDir(const QString& system);

    // Empty when the name is an IBM i library name (1 to 10 characters of
    // A-Z, 0-9, $, #, @ and _, not starting with a digit); otherwise the
    // message naming the settings key and the value.
    static QString checkLibraryName(const QString& name, const QString& key);
    // Empty for a configured ODBC data source's name (free text, up to 32
    // characters) and for any name checkEmbeddedSystemName accepts;
    // otherwise the message naming the settings key and the value.
    static QString checkSystemName(const QString& name, const QString& key);
    // Empty unless the system name holds a path separator, "..", a control
    // character or a blank (it names a folder under hosts/).
    static QString checkEmbeddedSystemName(const QString& name, const QString& key);

    // The data sources unixODBC lists, in its order.
    static QStringList odbcDataSources();
    // Whether an ODBC data source of that name is configured.
    static bool odbcDataSourceExists(const QString& name);
    // The ODBC drivers the driver manager lists (`odbcinst -q -d`).
    static QStringList odbcDrivers();
    // A driver named for IBM i (IBM i Access, iSeries Access, Client
    // Access): the only drivers a connection string with the host password
    // is handed to. Another driver may take the string for something else
    // (the SQLite driver makes it a database file name, password included).
    static bool isIbmiDriver(const QString& name);
};

} // namespace zelvaro
