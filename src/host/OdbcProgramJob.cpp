#include "host/OdbcProgramJob.h"

#include "common/Error.h"
#include "common/Text.h"
#include "host/HostText.h"
#include "host/SignOnGuard.h"

#include <sql.h>
#include <sqlext.h>

namespace zelvaro {

namespace {

// Every diagnostic record of a handle: SQLSTATE, native code and text.
struct Diagnostics {
    QStringList records; // "SQLSTATE 08001 (native -30082): text"
    int firstNative = 0;
    QString firstText;
};

QString cleanText(const char* text, SQLSMALLINT length)
{
    // Drivers have been seen to count NUL bytes into the length.
    QString t = QString::fromLocal8Bit(text, qMax<int>(0, length));
    const qsizetype nul = t.indexOf(QChar(0));
    if (nul >= 0) t.truncate(nul);
    return printable(t.trimmed());
}

Diagnostics diagnostics(SQLSMALLINT type, SQLHANDLE handle)
{
    Diagnostics d;
    for (SQLSMALLINT i = 1; handle; ++i) {
        SQLCHAR state[6] = {0};
        SQLINTEGER native = 0;
        SQLCHAR text[1024] = {0};
        SQLSMALLINT length = 0;
        const SQLRETURN rc =
            SQLGetDiagRec(type, handle, i, state, &native, text, sizeof text, &length);
        if (!SQL_SUCCEEDED(rc)) break;
        const QString message =
            cleanText(reinterpret_cast<const char*>(text), qMin<SQLSMALLINT>(length, 1023));
        if (i == 1) {
            d.firstNative = int(native);
            d.firstText = message;
        }
        d.records << QStringLiteral("SQLSTATE %1 (native %2): %3")
                         .arg(QString::fromLatin1(reinterpret_cast<const char*>(state)))
                         .arg(native)
                         .arg(message);
    }
    return d;
}

[[noreturn]] void failed(const Diagnostics& d, const QString& text)
{
    throw HostCallError(text, d.firstNative, d.records.isEmpty() ? QStringList{text} : d.records);
}

QString diagnosticText(const Diagnostics& d, const QString& fallback)
{
    return d.records.isEmpty() ? fallback : d.records.join(QLatin1Char('\n'));
}

QString literal(const ProgramParameter& p)
{
    switch (p.kind) {
    case ProgramParameter::Char:
        // Refuses text longer than the field; the driver converts the literal.
        hosttext::encodeFixed(p.text, p.length, hosttext::DefaultCcsid, p.name);
        return sqlQuote(p.text.leftJustified(p.length, QLatin1Char(' ')));
    case ProgramParameter::Int4:
        return QString::number(p.number);
    case ProgramParameter::Byte:
        return QStringLiteral("X'") + QString::fromLatin1(p.bytes.toHex().toUpper()) +
               QLatin1Char('\'');
    case ProgramParameter::Output:
        break;
    }
    return {};
}

} // namespace

OdbcProgramJob::OdbcProgramJob(QString system, QString connectionString, QString user,
                               QString password, bool dataSource)
    : m_system(std::move(system)), m_connectionString(std::move(connectionString)),
      m_user(std::move(user)), m_password(std::move(password)), m_dataSource(dataSource)
{
}

OdbcProgramJob::~OdbcProgramJob()
{
    close();
}

void OdbcProgramJob::close()
{
    if (m_dbc) {
        SQLDisconnect(static_cast<SQLHDBC>(m_dbc));
        SQLFreeHandle(SQL_HANDLE_DBC, static_cast<SQLHDBC>(m_dbc));
        m_dbc = nullptr;
    }
    if (m_env) {
        SQLFreeHandle(SQL_HANDLE_ENV, static_cast<SQLHENV>(m_env));
        m_env = nullptr;
    }
}

void OdbcProgramJob::open()
{
    if (m_dbc) return;
    try {
        SignOnGuard::checkNotRefused(m_system, m_user, m_password);
    } catch (const HostError& e) {
        throw JobStartError(e.text(), 0, {e.text()});
    }
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        throw HostCallError(QStringLiteral("The ODBC driver manager could not be started."), -1,
                            {});
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    SignOnGuard::countAttempt();
    SQLRETURN rc;
    if (m_dataSource) {
        const QByteArray dsn = m_connectionString.toLocal8Bit();
        const QByteArray user = m_user.toLocal8Bit();
        const QByteArray password = m_password.toLocal8Bit();
        rc = SQLConnect(dbc, (SQLCHAR*)dsn.constData(), SQL_NTS, (SQLCHAR*)user.constData(),
                        SQL_NTS, (SQLCHAR*)password.constData(), SQL_NTS);
    } else {
        const QByteArray in = m_connectionString.toLocal8Bit();
        rc = SQLDriverConnect(dbc, nullptr, (SQLCHAR*)in.constData(), SQL_NTS, nullptr, 0, nullptr,
                              SQL_DRIVER_NOPROMPT);
    }
    if (!SQL_SUCCEEDED(rc)) {
        const Diagnostics d = diagnostics(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        const QString text = SignOnGuard::refused(
            m_system, m_user, m_password,
            diagnosticText(d, QStringLiteral("Unable to connect to %1").arg(printable(m_system))));
        throw JobStartError(text, d.firstNative,
                            d.records.isEmpty() ? QStringList{text} : d.records);
    }
    m_env = env;
    m_dbc = dbc;
}

QString OdbcProgramJob::callText(const QString& program,
                                 const std::vector<ProgramParameter>& parameters)
{
    QStringList values;
    for (const ProgramParameter& p : parameters)
        values << literal(p);
    return QStringLiteral("CALL QSYS.") + program + QLatin1Char('(') +
           values.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString OdbcProgramJob::retrieveText(const QString& qualifiedName, qint64 start, qint64 length)
{
    return QStringLiteral("SELECT SUBSTR(DATA_BINARY, %1, %2) FROM TABLE(QSYS2.USER_SPACE("
                          "USER_SPACE => %3, USER_SPACE_LIBRARY => %4))")
        .arg(start)
        .arg(length)
        .arg(sqlQuote(qualifiedName.left(10).trimmed()), sqlQuote(qualifiedName.mid(10).trimmed()));
}

void OdbcProgramJob::call(const QString& program, std::vector<ProgramParameter>& parameters)
{
    const bool retrieve = program == QLatin1String("QUSRTVUS") && parameters.size() == 4;
    const QString sql =
        retrieve ? retrieveText(parameters[0].text, parameters[1].number, parameters[2].number)
                 : callText(program, parameters);
    open();
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, static_cast<SQLHDBC>(m_dbc), &stmt);
    struct Free {
        SQLHSTMT s;
        ~Free() { SQLFreeHandle(SQL_HANDLE_STMT, s); }
    } freeStmt{stmt};
    auto fail = [&] {
        const Diagnostics d = diagnostics(SQL_HANDLE_STMT, stmt);
        failed(d, diagnosticText(d, QStringLiteral("%1 failed").arg(program)));
    };
    const QByteArray text = sql.toUtf8();
    if (!SQL_SUCCEEDED(SQLExecDirect(stmt, (SQLCHAR*)text.constData(), SQL_NTS))) fail();
    if (!retrieve) return;
    if (!SQL_SUCCEEDED(SQLFetch(stmt))) fail();
    QByteArray data;
    char chunk[8192];
    for (;;) {
        SQLLEN got = 0;
        const SQLRETURN rc = SQLGetData(stmt, 1, SQL_C_BINARY, chunk, sizeof chunk, &got);
        if (rc == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(rc)) fail();
        if (got == SQL_NULL_DATA) break;
        const qsizetype n = got == SQL_NO_TOTAL || got > SQLLEN(sizeof chunk)
                                ? qsizetype(sizeof chunk)
                                : qsizetype(got);
        data.append(chunk, n);
        if (rc == SQL_SUCCESS) break;
    }
    parameters[3].bytes = data;
}

} // namespace zelvaro
