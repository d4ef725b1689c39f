#pragma once

#include "host/EmbeddedSystem.h"
#include "host/ProgramJob.h"

#include "host/UserSpace.h"

#include <QHash>
#include <QString>
#include <vector>

namespace zelvaro {

// The embedded host's job: the five list programs (QUSCRTUS, QUSLOBJ,
// QUSLFLD, QUSRTVUS, QUSDLTUS) emulated over the system folder, writing
// spaces in the host's layout and in the system's CCSID (EmbeddedSystem).
// Libraries are the folder's ".db" files whose names are library names, by
// their exact names; a field list reads one table's catalog rows, its
// record format checked; a library file that cannot be read says so.
// Library files are opened read-only. Calls check the parameters' count and
// lengths as the APIs define them and fail as the host does, with its
// message identifiers. The sign-on is the caller's (EmbeddedSystem::signOn).
class EmbeddedProgramJob : public ProgramJob {
public:
    explicit EmbeddedProgramJob(const EmbeddedSystem& system);
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

    void checkCcsid() const;

    QString m_folder;
    int m_ccsid;
    QString m_ccsidProblem;
    QHash<QString, QByteArray> m_spaces;
    QHash<QString, QHash<QString, Table>> m_catalogs;
};

} // namespace zelvaro
