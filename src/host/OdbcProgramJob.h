#pragma once

#include "host/ProgramJob.h"

#include <QString>

namespace zelvaro {

// A real IBM i's job over ODBC, on a connection of its own (its QTEMP holds
// the list space), made straight through the driver manager so that a
// failure keeps its SQLSTATE, native code and text: each program is run
// with `CALL QSYS.<program>(…)` and literals of exactly the API's types; the
// data a literal CALL of QUSRTVUS cannot return is read with
// QSYS2.USER_SPACE (IBM i 7.3 with its technology refresh, or later). The
// job signs on once, when its first call needs it; a refused sign-on goes
// to the SignOnGuard and is not tried again. Untested against a real host.
class OdbcProgramJob : public ProgramJob {
public:
    // `connectionString` as HostConnection builds it for the system (a data
    // source name, or the driver keywords); `system` names it in messages.
    OdbcProgramJob(QString system, QString connectionString, QString user, QString password,
                   bool dataSource);
    ~OdbcProgramJob() override;
    OdbcProgramJob(const OdbcProgramJob&) = delete;
    OdbcProgramJob& operator=(const OdbcProgramJob&) = delete;
    void call(const QString& program, std::vector<ProgramParameter>& parameters) override;

    // The SQL text of a call (for tests): CHAR(n) as a literal of exactly n
    // characters, apostrophes doubled; BINARY(4) as an integer constant.
    static QString callText(const QString& program,
                            const std::vector<ProgramParameter>& parameters);
    // The query that reads `length` bytes from position `start` (1-based).
    static QString retrieveText(const QString& qualifiedName, qint64 start, qint64 length);

private:
    void open();
    void close();
    QString m_system;
    QString m_connectionString;
    QString m_user;
    QString m_password;
    bool m_dataSource;
    void* m_env = nullptr; // SQLHENV
    void* m_dbc = nullptr; // SQLHDBC, connected when not null
};

} // namespace zelvaro
