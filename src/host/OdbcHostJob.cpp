#include "host/OdbcHostJob.h"

#include "common/Error.h"
#include "common/Text.h"
#include "host/Ebcdic.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace zelvaro {

namespace {

[[noreturn]] void failed(const QSqlError& e)
{
    const QString text = e.text().trimmed();
    bool ok = false;
    const int code = e.nativeErrorCode().toInt(&ok);
    throw HostCallError(text, ok ? code : -1, text.split(QLatin1Char('\n'), Qt::SkipEmptyParts));
}

QString literal(const ProgramParameter& p)
{
    switch (p.kind) {
    case ProgramParameter::Char:
        ebcdic::encodeFixed(p.text, p.length, p.name); // refuses text longer than the field
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

OdbcHostJob::OdbcHostJob(QString connectionString, QString user, QString password, bool dataSource)
    : m_connectionName(QStringLiteral("HOSTJOB-") + QUuid::createUuid().toString()),
      m_connectionString(std::move(connectionString)), m_user(std::move(user)),
      m_password(std::move(password)), m_dataSource(dataSource)
{
}

OdbcHostJob::~OdbcHostJob()
{
    if (QSqlDatabase::contains(m_connectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

void OdbcHostJob::open()
{
    if (m_open) return;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_connectionName);
    db.setDatabaseName(m_connectionString);
    if (m_dataSource) {
        db.setUserName(m_user);
        db.setPassword(m_password);
    }
    if (!db.open()) failed(db.lastError());
    m_open = true;
}

QString OdbcHostJob::callText(const QString& program,
                              const std::vector<ProgramParameter>& parameters)
{
    QStringList values;
    for (const ProgramParameter& p : parameters)
        values << literal(p);
    return QStringLiteral("CALL QSYS.") + program + QLatin1Char('(') +
           values.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString OdbcHostJob::retrieveText(const QString& qualifiedName, qint64 start, qint64 length)
{
    return QStringLiteral("SELECT SUBSTR(DATA_BINARY, %1, %2) FROM TABLE(QSYS2.USER_SPACE("
                          "USER_SPACE => %3, USER_SPACE_LIBRARY => %4))")
        .arg(start)
        .arg(length)
        .arg(sqlQuote(qualifiedName.left(10).trimmed()), sqlQuote(qualifiedName.mid(10).trimmed()));
}

void OdbcHostJob::call(const QString& program, std::vector<ProgramParameter>& parameters)
{
    open();
    QSqlQuery q(QSqlDatabase::database(m_connectionName, false));
    if (program == QLatin1String("QUSRTVUS") && parameters.size() == 4) {
        if (!q.exec(retrieveText(parameters[0].text, parameters[1].number, parameters[2].number)) ||
            !q.next())
            failed(q.lastError());
        parameters[3].bytes = q.value(0).toByteArray();
        return;
    }
    if (!q.exec(callText(program, parameters))) failed(q.lastError());
}

} // namespace zelvaro
