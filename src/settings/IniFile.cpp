#include "settings/IniFile.h"

#include "common/Error.h"
#include "common/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zelvaro {

namespace {

// A section header "[name]" (blanks around allowed); returns the name.
bool parseSection(const QString& line, QString* name)
{
    const QString t = line.trimmed();
    if (t.size() < 2 || t.front() != QLatin1Char('[')) return false;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0) return false;
    *name = t.mid(1, close - 1).trimmed();
    return true;
}

// A "key=value" line; comments and lines without "=" hold no key.
bool parseKey(const QString& line, QString* key, QString* value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.front() == QLatin1Char(';')) return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0) return false;
    *key = t.left(eq).trimmed();
    if (key->isEmpty()) return false;
    if (value) {
        QString v = t.mid(eq + 1).trimmed();
        // The profile functions drop one pair of enclosing quotes.
        if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) &&
            v.back() == v.front())
            v = v.mid(1, v.size() - 2);
        *value = v;
    }
    return true;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Sets one key in the lines of a file: in place when the key exists in the
// first section of that name, else after the section's last non-blank line,
// else in a new section at the end.
void setKey(QStringList& lines, const QString& section, const QString& key, const QString& value)
{
    const QString entry = key + QLatin1Char('=') + value;
    qsizetype sectionLine = -1;
    qsizetype lastKeyLine = -1; // last non-blank line of the section
    qsizetype keyLine = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString name;
        if (parseSection(lines[i], &name)) {
            if (sectionLine >= 0) break;
            if (sameName(name, section)) {
                sectionLine = i;
                lastKeyLine = i;
            }
            continue;
        }
        if (sectionLine < 0) continue;
        if (!lines[i].trimmed().isEmpty()) lastKeyLine = i;
        QString k;
        if (parseKey(lines[i], &k, nullptr) && sameName(k, key)) {
            keyLine = i;
            break;
        }
    }
    if (keyLine >= 0) {
        lines[keyLine] = entry;
    } else if (sectionLine >= 0) {
        lines.insert(lastKeyLine + 1, entry);
    } else {
        lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines.append(entry);
    }
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QString IniFile::readProblem() const
{
    const QFileInfo info(m_path);
    if (!info.exists()) {
#ifdef Q_OS_UNIX
        const QString folder = info.absolutePath();
        if (QFileInfo(folder).isDir() && ::access(QFile::encodeName(folder).constData(), X_OK) != 0)
            return QStringLiteral("no permission to enter the folder %1")
                .arg(QDir::toNativeSeparators(folder));
#endif
        return {};
    }
    if (info.isDir()) return QStringLiteral("it is a folder");
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) return file.errorString();
    return {};
}

QStringList IniFile::readLines(bool* crlf) const
{
    QFile file(m_path);
    if (crlf) *crlf = false;
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    if (crlf) *crlf = bytes.contains("\r\n");
    // Every byte is one character: garbage yields defaults, never a crash,
    // and lines a write does not touch are written back byte for byte.
    const QString text = decodeWindows1252(bytes);
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& l : lines) {
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    }
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    const QStringList lines = readLines(nullptr);
    bool inSection = false;
    bool seenSection = false;
    for (const QString& line : lines) {
        QString name;
        if (parseSection(line, &name)) {
            // Only the first section of a name counts.
            if (inSection) return defaultValue;
            inSection = !seenSection && sameName(name, section);
            if (inSection) seenSection = true;
            continue;
        }
        if (!inSection) continue;
        QString k, v;
        if (parseKey(line, &k, &v) && sameName(k, key)) return v.left(MaxValueLength);
    }
    return defaultValue;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) const
{
    writeStrings(section, {{key, value}});
}

void IniFile::writeStrings(const QString& section,
                           const std::vector<std::pair<QString, QString>>& entries) const
{
    std::vector<Entry> all;
    for (const auto& [key, value] : entries)
        all.push_back({section, key, value});
    writeEntries(all);
}

void IniFile::writeEntries(const std::vector<Entry>& entries) const
{
    bool crlf = false;
    QStringList lines = readLines(&crlf);
    const QStringList before = lines;
    for (const Entry& e : entries)
        setKey(lines, e.section, e.key, e.value);
    // Writing what the file already says changes nothing: it is left alone.
    if (lines == before && QFileInfo::exists(m_path)) return;
    const QString eol = crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    replaceContent(encodeWindows1252(lines.join(eol) + eol));
}

void IniFile::replaceContent(const QByteArray& bytes) const
{
    const QFileInfo info(m_path);
    QDir().mkpath(info.absolutePath());
    QSaveFile out(m_path);
    // A writable file in a folder the user cannot write (a shared home set
    // up by hand) is written in place rather than refused.
    out.setDirectWriteFallback(true);
    auto fail = [&](const QString& reason) {
        out.cancelWriting();
        throw SettingsError(QStringLiteral("Unable to write to %1: %2")
                                .arg(QDir::toNativeSeparators(info.absoluteFilePath()), reason));
    };
    if (!out.open(QIODevice::WriteOnly)) fail(out.errorString());
#ifdef Q_OS_UNIX
    // The replacement keeps the file's mode and group, so the other members
    // of the group that shares the home keep their access; a new file is
    // readable and writable by that group only (it holds the host password).
    struct stat old {};
    const QByteArray nativePath = QFile::encodeName(info.absoluteFilePath());
    if (::stat(nativePath.constData(), &old) == 0) {
        ::fchmod(out.handle(), old.st_mode & 07777);
        if (::fchown(out.handle(), uid_t(-1), old.st_gid) != 0) {
            // Not a member of the file's group: the folder's group stays.
        }
    } else {
        ::fchmod(out.handle(), 0660);
    }
#endif
    if (out.write(bytes) != bytes.size() || !out.flush()) fail(out.errorString());
#ifdef Q_OS_UNIX
    if (::fsync(out.handle()) != 0) fail(QString::fromLocal8Bit(strerror(errno)));
#endif
    // On Windows the commit's own flush and rename carry the same checks.
    if (!out.commit()) fail(out.errorString());
}

} // namespace zelvaro
