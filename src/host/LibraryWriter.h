#pragma once

#include "host/FieldDef.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

namespace zelvaro {

// Writes a library file of the embedded host directly: creates its tables
// with their catalog and loads rows in bulk. For the demo home, tests and
// benchmarks; the program itself only reaches libraries through
// HostConnection.
class LibraryWriter {
public:
    // Creates (or replaces) <systemDir>/<library>.db.
    LibraryWriter(const QString& systemDir, const QString& library);
    ~LibraryWriter();
    LibraryWriter(const LibraryWriter&) = delete;
    LibraryWriter& operator=(const LibraryWriter&) = delete;

    const QString& path() const { return m_path; }

    void createTable(const TableDef& table);
    // Inserts rows of all columns in order; `row(i)` gives row i.
    void insertRows(const TableDef& table, int count, const std::function<QVariantList(int)>& row);
    // Inserts every row of `rows`, whose fields are the table's columns in
    // order; text without its trailing blanks (an empty text as one blank,
    // as the host stores it). Bound natively: a whole item master in well
    // under a second.
    void insertTable(const TableDef& table, const class ResultTable& rows);
    void exec(const QString& sql);
    void close();

private:
    QString m_path;
    QString m_connection;
};

// Creates an embedded host system folder with one library holding the seven
// ERP tables, empty. Returns the library file's path.
QString createEmbeddedLibrary(const QString& home, const QString& system, const QString& library);

} // namespace zelvaro
