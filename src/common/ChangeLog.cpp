#include "common/ChangeLog.h"

#include "common/Text.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <filesystem>
#include <system_error>

namespace zelvaro {

namespace {

QByteArray csvField(const QString& value)
{
    QByteArray bytes = value.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') ||
        bytes.contains('\r')) {
        bytes.replace("\"", "\"\"");
        return '"' + bytes + '"';
    }
    return bytes;
}

// The fields of one CSV record starting at `i`; `i` ends after its line break.
bool parseRecord(const QString& text, qsizetype& i, QStringList* fields)
{
    fields->clear();
    QString field;
    bool quoted = false;
    while (i < text.size()) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    i += 2;
                    continue;
                }
                quoted = false;
            } else {
                field += c;
            }
            ++i;
            continue;
        }
        if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            *fields << field;
            field.clear();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            ++i;
            *fields << field;
            return true;
        } else {
            field += c;
        }
        ++i;
    }
    *fields << field;
    return !quoted;
}

} // namespace

void ChangeLog::record(const QString& table, const QString& key, const QString& column,
                       const QString& oldValue, const QString& newValue)
{
    const QString before = rtrimBlanks(oldValue);
    const QString after = rtrimBlanks(newValue);
    if (before == after) return;
    const QString k = rtrimBlanks(key);
    m_changes.push_back({table, k, column, before, after});
    m_rows.insert(table + QChar(0) + k);
}

QString ChangeLog::fileName(const QDateTime& start, bool dryRun)
{
    return start.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
           (dryRun ? QStringLiteral("-dry-run.csv") : QStringLiteral(".csv"));
}

QByteArray ChangeLog::csv() const
{
    QByteArray out = "table,key,column,old,new\r\n";
    for (const Change& c : m_changes)
        out += csvField(c.table) + ',' + csvField(c.key) + ',' + csvField(c.column) + ',' +
               csvField(c.oldValue) + ',' + csvField(c.newValue) + "\r\n";
    return out;
}

bool ChangeLog::write(const QString& folder, const QString& fileName, QString* error) const
{
    const QString path = QDir(folder).filePath(fileName);
    // QDir::mkpath gives no reason; the file system's is what to fix.
    std::error_code made;
    std::filesystem::create_directories(std::filesystem::path(folder.toStdU16String()), made);
    if (made) {
        if (error)
            *error = QStringLiteral("Unable to write the change report %1: %2")
                         .arg(QDir::toNativeSeparators(path),
                              QString::fromLocal8Bit(made.message().c_str()));
        return false;
    }
    QSaveFile file(path);
    const QByteArray bytes = csv();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("Unable to write the change report %1: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    return true;
}

bool ChangeLog::read(const QString& path, std::vector<Change>* changes, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Unable to read the change report %1: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    const QString text = QString::fromUtf8(file.readAll());
    qsizetype i = 0;
    QStringList fields;
    if (!parseRecord(text, i, &fields) ||
        fields !=
            QStringList({QStringLiteral("table"), QStringLiteral("key"), QStringLiteral("column"),
                         QStringLiteral("old"), QStringLiteral("new")})) {
        *error = QStringLiteral("%1 is not a change report").arg(QDir::toNativeSeparators(path));
        return false;
    }
    changes->clear();
    while (i < text.size()) {
        if (!parseRecord(text, i, &fields) || fields.size() != 5) {
            *error =
                QStringLiteral("%1 is not a change report").arg(QDir::toNativeSeparators(path));
            return false;
        }
        changes->push_back({fields[0], fields[1], fields[2], fields[3], fields[4]});
    }
    return true;
}

} // namespace zelvaro
