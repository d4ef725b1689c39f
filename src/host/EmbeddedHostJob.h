#pragma once

#include "host/HostJob.h"

#include "host/UserSpace.h"

#include <QHash>
#include <QString>
#include <vector>

namespace zelvaro {

// The embedded host's job: the five list programs (QUSCRTUS, QUSLOBJ,
// QUSLFLD, QUSRTVUS, QUSDLTUS) emulated over the system folder, writing
// spaces in the host's layout. Libraries are the folder's ".db" files, by
// their exact names; a field list reads one table's catalog rows, its
// record format checked. Library files are opened read-only. Calls check
// the parameters' count and lengths as the APIs define them and fail as the
// host does, with its message identifiers.
class EmbeddedHostJob : public HostJob {
public:
    explicit EmbeddedHostJob(QString systemFolder);
    void call(const QString& program, std::vector<ProgramParameter>& parameters) override;

    // The job's user spaces, by qualified name (for tests).
    const QHash<QString, QByteArray>& spaces() const { return m_spaces; }

private:
    void createSpace(std::vector<ProgramParameter>& p);
    void listObjects(std::vector<ProgramParameter>& p);
    void listFields(std::vector<ProgramParameter>& p);
    void retrieve(std::vector<ProgramParameter>& p);
    void deleteSpace(std::vector<ProgramParameter>& p);
    QByteArray& space(const QString& qualifiedName);
    // Writes a list into a space, growing it when the list needs more room.
    void store(const QString& qualifiedName, const QByteArray& list);

    struct Table {
        QString recordFormat;
        std::vector<userspace::FieldEntry> fields;
    };
    // A library's catalog, read once per job (a host job sees the catalog
    // of its start; a new job comes with every rebuilt link).
    const QHash<QString, Table>* catalog(const QString& library);

    QString m_folder;
    QHash<QString, QByteArray> m_spaces;
    QHash<QString, QHash<QString, Table>> m_catalogs;
};

} // namespace zelvaro
