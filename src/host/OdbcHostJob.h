#pragma once

#include "host/HostJob.h"

#include <QString>

namespace zelvaro {

// A real IBM i's job over ODBC, on a connection of its own (its QTEMP holds
// the list space): each program is run with `CALL QSYS.<program>(…)` and
// literals of exactly the API's types. The data a literal CALL of QUSRTVUS
// cannot return is read with QSYS2.USER_SPACE (IBM i 7.3 with its
// technology refresh, or later). Untested against a real host.
class OdbcHostJob : public HostJob {
public:
    // `connectionString` as HostConnection builds it for the system (a data
    // source name, or the driver keywords).
    OdbcHostJob(QString connectionString, QString user, QString password, bool dataSource);
    ~OdbcHostJob() override;
    void call(const QString& program, std::vector<ProgramParameter>& parameters) override;

    // The SQL text of a call (for tests): CHAR(n) as a literal of exactly n
    // characters, apostrophes doubled; BINARY(4) as an integer constant.
    static QString callText(const QString& program,
                            const std::vector<ProgramParameter>& parameters);
    // The query that reads `length` bytes from position `start` (1-based).
    static QString retrieveText(const QString& qualifiedName, qint64 start, qint64 length);

private:
    void open();
    QString m_connectionName;
    QString m_connectionString;
    QString m_user;
    QString m_password;
    bool m_dataSource;
    bool m_open = false;
};

} // namespace zelvaro
