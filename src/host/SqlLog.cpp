#include "host/SqlLog.h"

#include <QFile>
#include <memory>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcSql, "zelvaro.sql", QtInfoMsg)

namespace zelvaro {

namespace {

struct LogState {
    bool initialised = false;
    QString path;
    std::unique_ptr<QFile> file;
};

LogState& state()
{
    static LogState s;
    if (!s.initialised) {
        s.initialised = true;
        s.path = qEnvironmentVariable("ZELVARO_SQL_LOG");
    }
    return s;
}

void append(const QString& text)
{
    LogState& s = state();
    if (s.path.isEmpty()) return;
    if (!s.file) {
        s.file = std::make_unique<QFile>(s.path);
        if (!s.file->open(QIODevice::Append | QIODevice::WriteOnly)) {
            qCWarning(lcSql) << "cannot open the SQL script" << s.path << s.file->errorString();
            s.path.clear();
            s.file.reset();
            return;
        }
    }
    // Unbuffered: a killed run still leaves every executed statement behind.
    const QByteArray bytes = text.toUtf8();
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(s.file->handle(), p, size_t(left));
        if (n <= 0) break;
        p += n;
        left -= n;
    }
}

} // namespace

void SqlLog::setPath(const QString& path)
{
    LogState& s = state();
    s.file.reset();
    s.path = path;
}

QString SqlLog::path()
{
    return state().path;
}

void SqlLog::statement(const QString& sql)
{
    append(sql + QStringLiteral(";\n"));
}

void SqlLog::comment(const QString& text)
{
    QString t = text;
    t.replace(QLatin1Char('\n'), QLatin1Char(' '));
    append(QStringLiteral("-- ") + t + QLatin1Char('\n'));
}

} // namespace zelvaro
