#pragma once

#include "host/FieldDef.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

namespace zelvaro {

// The one place where the Db2 for i SQL that the system sends is turned into
// SQLite SQL for the embedded host, and SQLite's messages into host-style
// ones. It knows the libraries attached to the connection and their catalog
// (column types, widths, headings), which it also uses to give query results
// their host widths.
class SqliteDialect {
public:
    struct Translation {
        QStringList statements;           // to run in order
        bool transaction = false;         // run as one unit, rolled back on failure
        const TableDef* source = nullptr; // a query's table, for its field widths
        // A column change to record in the catalog once the statements succeed.
        std::optional<std::pair<QString, ColumnDef>> alteredColumn; // library, new column
        QString alteredTable;
    };

    static constexpr const char* TablesCatalog = "ZH_SYSTABLES";
    static constexpr const char* ColumnsCatalog = "ZH_SYSCOLUMNS";

    void setLibrary(const QString& library, const std::vector<TableDef>& tables);
    void clear() { m_catalog.clear(); }
    bool hasLibrary(const QString& library) const { return m_catalog.contains(library); }
    QStringList libraries() const { return m_catalog.keys(); }
    const TableDef* table(const QString& library, const QString& name) const;
    void recordAlteredColumn(const QString& library, const QString& table, const ColumnDef& column);

    // Throws HostError for a library that is not attached (names are
    // case-sensitive) and for statements the embedded host does not support.
    Translation translate(const QString& db2Sql) const;

    // The host's message for an SQLite error text.
    static QString hostMessage(const QString& sqliteText);

    // Statements that create a table and record it in the library's catalog.
    static QStringList createTableSql(const QString& library, const TableDef& table,
                                      const QString& createAs = {});
    static QStringList catalogSchemaSql(const QString& library);
    // The statement that reads a library's catalog (table, format, key, then
    // one row per column in order).
    static QString catalogQuery(const QString& library);

private:
    Translation translateAlterText(const QString& sql) const;
    Translation translateAlter(const QString& sql, const QString& library, const QString& tableName,
                               const QString& column, const QString& typeText) const;

    QHash<QString, QHash<QString, TableDef>> m_catalog;
};

} // namespace zelvaro
