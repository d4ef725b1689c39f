#include "update/RunHistory.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>

#ifdef Q_OS_WIN
#include <QLockFile>
#else
#include <sys/file.h>
#endif

namespace zelvaro {

namespace {

constexpr int FieldCount = 12;
constexpr int OldFieldCount = 10;     // lines written before the change report
constexpr int MaxResultLength = 4000; // a stop reason can quote a long host message

QString timeText(const QDateTime& t)
{
    // Local time with its offset (never "Z"): the reader sees the hour the
    // run had.
    const int offset = t.offsetFromUtc();
    const int minutes = qAbs(offset) / 60;
    return t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString oneLine(const QString& text)
{
    QString s = text;
    for (QChar& c : s) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) c = u' ';
    }
    return s;
}

// One writer of the history at a time, held for one line. On Unix an
// advisory lock on the open file, which the system drops when a writer is
// killed; on Windows a lock file beside it (a dead writer's is taken over).
class WriterLock {
public:
    WriterLock(const QFile& file, const QString& path)
#ifdef Q_OS_WIN
        : m_lock(path + QStringLiteral(".lock"))
    {
        (void)file;
        m_lock.setStaleLockTime(0);
        m_lock.tryLock(5000);
    }

private:
    QLockFile m_lock;
#else
    {
        (void)path;
        while (flock(file.handle(), LOCK_EX) != 0 && errno == EINTR) {
        }
    }
#endif
};

std::optional<int> count(const QByteArray& field)
{
    bool ok = false;
    const int n = field.toInt(&ok);
    if (!ok || n < 0) return std::nullopt;
    return n;
}

} // namespace

RunHistory::RunHistory(QString path) : m_path(std::move(path)) {}

QString RunHistory::defaultPath()
{
    return QDir(Settings::homeDir()).filePath(QStringLiteral("history.log"));
}

QByteArray RunHistory::formatLine(const RunRecord& r)
{
    const QStringList fields{timeText(r.started),
                             timeText(r.ended),
                             oneLine(r.startedBy),
                             oneLine(r.source),
                             QString::number(r.dotAdded),
                             QString::number(r.dotUpdated),
                             QString::number(r.hazardAdded),
                             QString::number(r.hazardUpdated),
                             QString::number(r.itemsNotUpdated),
                             QString::number(r.changedRows),
                             oneLine(r.report),
                             oneLine(r.result.left(MaxResultLength))};
    return fields.join(QLatin1Char('\t')).toUtf8() + '\n';
}

std::optional<RunRecord> RunHistory::parseLine(const QByteArray& line)
{
    QByteArray text = line;
    if (text.endsWith('\n')) text.chop(1);
    if (text.endsWith('\r')) text.chop(1);
    const QList<QByteArray> f = text.split('\t');
    if (f.size() != FieldCount && f.size() != OldFieldCount) return std::nullopt;
    RunRecord r;
    r.started = QDateTime::fromString(QString::fromUtf8(f[0]), Qt::ISODate);
    r.ended = QDateTime::fromString(QString::fromUtf8(f[1]), Qt::ISODate);
    if (!r.started.isValid() || !r.ended.isValid()) return std::nullopt;
    r.startedBy = QString::fromUtf8(f[2]);
    r.source = QString::fromUtf8(f[3]);
    const auto a = count(f[4]), b = count(f[5]), c = count(f[6]), d = count(f[7]), e = count(f[8]);
    const auto changed = f.size() == FieldCount ? count(f[9]) : std::optional<int>(0);
    if (!a || !b || !c || !d || !e || !changed || f.last().isEmpty()) return std::nullopt;
    r.changedRows = *changed;
    if (f.size() == FieldCount) r.report = QString::fromUtf8(f[10]);
    r.dotAdded = *a;
    r.dotUpdated = *b;
    r.hazardAdded = *c;
    r.hazardUpdated = *d;
    r.itemsNotUpdated = *e;
    r.result = QString::fromUtf8(f.last());
    return r;
}

bool RunHistory::append(const RunRecord& record, QString* error) const
{
    const QByteArray line = formatLine(record);
    QFile file(m_path);
    auto failed = [&] {
        if (error)
            *error = QStringLiteral("Unable to write the run history %1: %2")
                         .arg(QDir::toNativeSeparators(m_path), file.errorString());
        return false;
    };
    // Appending, unbuffered: the line goes to the end of the file in one
    // write.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered))
        return failed();
    // One writer at a time, the repair included; the system drops the lock
    // of a writer that was killed.
    const WriterLock lock(file, m_path);
    // A writer killed inside its write can leave part of a line at the end
    // (the system may stop a write between pages): it goes first.
    QByteArray text = line;
    const qint64 size = file.size();
    char last = '\n';
    if (size > 0 && file.seek(size - 1) && file.getChar(&last) && last != '\n') {
        qint64 keep = 0;
        for (qint64 end = size; end > 0 && keep == 0;) {
            const qint64 start = qMax<qint64>(0, end - 4096);
            file.seek(start);
            const QByteArray chunk = file.read(end - start);
            const qsizetype nl = chunk.lastIndexOf('\n');
            if (nl >= 0) keep = start + nl + 1;
            end = start;
        }
        // A whole record that lacks only its line feed (an editor, a copy)
        // is kept and ended; a cut part goes. Where it cannot go, it stays
        // a line of its own (read as malformed) rather than the start of
        // this one.
        file.seek(keep);
        if (parseLine(file.read(size - keep)) || !file.resize(keep)) text.prepend('\n');
    }
    if (file.write(text) != text.size()) return failed();
    return true;
}

RunHistory::Listing RunHistory::readLast(int wanted) const
{
    Listing out;
    QFile file(m_path);
    if (!file.exists()) {
        // A folder this user may not enter hides the file: that is not "no
        // run recorded".
        const QString folder = QFileInfo(m_path).absolutePath();
#ifdef Q_OS_UNIX
        if (QFileInfo(folder).isDir() && ::access(QFile::encodeName(folder).constData(), X_OK) != 0)
            out.error =
                QStringLiteral("Unable to read the run history %1: no permission to "
                               "enter the folder %2 (is this user in its group? a new "
                               "login is needed after adduser)")
                    .arg(QDir::toNativeSeparators(m_path), QDir::toNativeSeparators(folder));
#endif
        return out;
    }
    out.exists = true;
    if (QFileInfo(m_path).isDir() || !file.open(QIODevice::ReadOnly)) {
        out.error = QStringLiteral("Unable to read the run history %1: %2")
                        .arg(QDir::toNativeSeparators(m_path), file.errorString());
        return out;
    }
    const QByteArray text = file.readAll();
    QList<QByteArray> lines = text.split('\n');
    // A last line without its line feed is being written, or was cut by a
    // kill and goes at the next append: it is not there yet, unless it is a
    // whole record (the next append ends it).
    if (!text.endsWith('\n') && !parseLine(lines.last())) lines.removeLast();
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty()) continue;
        if (auto r = parseLine(lines[i]))
            out.records.push_back(std::move(*r));
        else
            out.notes << QStringLiteral("%1 line %2: not a run record, skipped")
                             .arg(QDir::toNativeSeparators(m_path))
                             .arg(i + 1);
    }
    if (wanted >= 0 && int(out.records.size()) > wanted)
        out.records.erase(out.records.begin(), out.records.end() - wanted);
    return out;
}

QStringList RunHistory::columnTitles()
{
    return {QStringLiteral("Started"),      QStringLiteral("Ended"),
            QStringLiteral("By"),           QStringLiteral("Source"),
            QStringLiteral("DOT added"),    QStringLiteral("DOT updated"),
            QStringLiteral("Hazard added"), QStringLiteral("Hazard updated"),
            QStringLiteral("Not updated"),  QStringLiteral("Changed"),
            QStringLiteral("Report"),       QStringLiteral("Result")};
}

QStringList RunHistory::cells(const RunRecord& r)
{
    return {timeText(r.started),
            timeText(r.ended),
            r.startedBy,
            r.source,
            QString::number(r.dotAdded),
            QString::number(r.dotUpdated),
            QString::number(r.hazardAdded),
            QString::number(r.hazardUpdated),
            QString::number(r.itemsNotUpdated),
            QString::number(r.changedRows),
            r.report,
            r.result};
}

QString RunHistory::table(const std::vector<RunRecord>& records)
{
    std::vector<QStringList> rows{columnTitles()};
    for (const RunRecord& r : records)
        rows.push_back(cells(r));
    std::vector<qsizetype> widths(FieldCount, 0);
    for (const QStringList& row : rows)
        for (int c = 0; c < FieldCount; ++c)
            widths[size_t(c)] = std::max(widths[size_t(c)], row[c].size());
    QString text;
    for (const QStringList& row : rows) {
        QString line;
        for (int c = 0; c < FieldCount; ++c) {
            // Counts right-aligned; the last column is not padded.
            const bool number = c >= 4 && c <= 8;
            if (c > 0) line += QStringLiteral("  ");
            line += c == FieldCount - 1 ? row[c]
                    : number            ? row[c].rightJustified(widths[size_t(c)])
                                        : row[c].leftJustified(widths[size_t(c)]);
        }
        text += line + QLatin1Char('\n');
    }
    return text;
}

} // namespace zelvaro
