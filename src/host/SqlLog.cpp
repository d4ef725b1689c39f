#include "host/SqlLog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <memory>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcSql, "zelvaro.sql", QtInfoMsg)

namespace zelvaro {

namespace {

// Statements are gathered and written at most MaxDelayMs after the first
// of them (or once MaxBuffered bytes wait), and at exit: a killed run loses
// no more than that last moment of the script, and a run pays one write per
// batch instead of one per statement.
constexpr qint64 MaxDelayMs = 20;
constexpr qsizetype MaxBuffered = 256 * 1024;

void writeAll(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n <= 0) break;
        p += n;
        left -= n;
    }
}

struct LogState {
    bool initialised = false;
    QString path;
    std::unique_ptr<QFile> file;
    QByteArray pending;
    QElapsedTimer since; // the first pending statement
    void flush()
    {
        if (file && !pending.isEmpty()) writeAll(file->handle(), pending);
        pending.clear();
    }
    ~LogState() { flush(); }
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

void appendUtf8(const QByteArray& text, const char* end)
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
    if (s.pending.isEmpty()) {
        s.since.start();
        // Written by then even when no statement follows (an idle window,
        // a dialog): the message loop runs the flush.
        if (QCoreApplication::instance())
            QTimer::singleShot(MaxDelayMs, QCoreApplication::instance(), [] { state().flush(); });
    }
    s.pending += text;
    if (end) s.pending += end;
    if (s.pending.size() >= MaxBuffered || s.since.elapsed() >= MaxDelayMs) s.flush();
}

} // namespace

void SqlLog::setPath(const QString& path)
{
    LogState& s = state();
    s.flush();
    s.file.reset();
    s.path = path;
}

QString SqlLog::path()
{
    return state().path;
}

void SqlLog::statementUtf8(const QByteArray& sql)
{
    appendUtf8(sql, ";\n");
}

void SqlLog::statement(const QString& sql)
{
    if (!state().path.isEmpty()) appendUtf8(sql.toUtf8(), ";\n");
}

void SqlLog::flush()
{
    state().flush();
}

void SqlLog::comment(const QString& text)
{
    if (state().path.isEmpty()) return;
    QString t = text;
    t.replace(QLatin1Char('\n'), QLatin1Char(' '));
    appendUtf8((QStringLiteral("-- ") + t).toUtf8(), "\n");
}

} // namespace zelvaro
