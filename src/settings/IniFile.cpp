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

// The profile functions trim blanks and tabs only: a no-break space (0xA0)
// is data.
QString trimBlanks(QStringView text)
{
    qsizetype b = 0, e = text.size();
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (b < e && blank(text[b]))
        ++b;
    while (e > b && blank(text[e - 1]))
        --e;
    return text.mid(b, e - b).toString();
}

// A section header "[name]" (blanks around allowed); returns the name.
bool parseSection(const QString& line, QString* name)
{
    const QString t = trimBlanks(line);
    if (t.size() < 2 || t.front() != QLatin1Char('[')) return false;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0) return false;
    *name = trimBlanks(QStringView(t).mid(1, close - 1));
    return true;
}

// A "key=value" line; comments and lines without "=" hold no key.
bool parseKey(const QString& line, QString* key, QString* value)
{
    const QString t = trimBlanks(line);
    if (t.isEmpty() || t.front() == QLatin1Char(';')) return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0) return false;
    *key = trimBlanks(QStringView(t).left(eq));
    if (key->isEmpty()) return false;
    if (value) {
        QString v = trimBlanks(QStringView(t).mid(eq + 1));
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

// A value as written: one more pair of double quotes around one that a
// reader would change (leading or trailing blanks or tabs, or one pair of
// matching quotes around it), so that both this program and the Windows
// profile functions read back exactly what was written.
QString writtenValue(const QString& value)
{
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    const bool edges = !value.isEmpty() && (blank(value.front()) || blank(value.back()));
    const bool quoted = value.size() >= 2 &&
                        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
                        value.back() == value.front();
    return edges || quoted ? QLatin1Char('"') + value + QLatin1Char('"') : value;
}

// Sets one key in the lines of a file: in place when the key exists in the
// first section of that name, else after the section's last non-blank line,
// else in a new section at the end. New lines take `eol`.
void setKey(std::vector<IniFile::Line>& lines, const QString& section, const QString& key,
            const QString& value, const QString& eol)
{
    const QString entry = key + QLatin1Char('=') + writtenValue(value);
    qsizetype sectionLine = -1;
    qsizetype lastKeyLine = -1; // last non-blank line of the section
    qsizetype keyLine = -1;
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        QString name;
        if (parseSection(lines[size_t(i)].text, &name)) {
            if (sectionLine >= 0) break;
            if (sameName(name, section)) {
                sectionLine = i;
                lastKeyLine = i;
            }
            continue;
        }
        if (sectionLine < 0) continue;
        if (!trimBlanks(lines[size_t(i)].text).isEmpty()) lastKeyLine = i;
        QString k;
        if (parseKey(lines[size_t(i)].text, &k, nullptr) && sameName(k, key)) {
            keyLine = i;
            break;
        }
    }
    // The last line may lack its line break: one is added before a new one.
    auto ensureEnded = [&](qsizetype i) {
        if (i >= 0 && lines[size_t(i)].eol.isEmpty()) lines[size_t(i)].eol = eol;
    };
    if (keyLine >= 0) {
        lines[size_t(keyLine)].text = entry;
    } else if (sectionLine >= 0) {
        ensureEnded(lastKeyLine);
        lines.insert(lines.begin() + lastKeyLine + 1, IniFile::Line{entry, eol});
    } else {
        ensureEnded(qsizetype(lines.size()) - 1);
        lines.push_back({QLatin1Char('[') + section + QLatin1Char(']'), eol});
        lines.push_back({entry, eol});
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

IniFile::Content IniFile::read() const
{
    Content c;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) return c;
    QByteArray bytes = file.readAll();
    // The encoding the file was saved in: a byte-order mark says UTF-16LE
    // ("Unicode") or UTF-8; else the ANSI code page, where every byte is
    // one character (garbage yields defaults, and lines a write does not
    // touch are written back byte for byte).
    QString text;
    if (bytes.startsWith("\xFF\xFE")) {
        c.encoding = Encoding::Utf16LE;
        text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                  (bytes.size() - 2) / 2);
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        c.encoding = Encoding::Utf8;
        text = QString::fromUtf8(bytes.mid(3));
    } else {
        text = decodeWindows1252(bytes);
    }
    // A Ctrl-Z at the end (old editors) is no part of the last line.
    if (text.endsWith(QChar(0x1A))) {
        c.endMark = true;
        text.chop(1);
    }
    // A line ends at CR LF, LF, or a lone CR, as for the Windows functions;
    // each keeps its own ending.
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ch = text[i];
        if (ch != QLatin1Char('\r') && ch != QLatin1Char('\n')) continue;
        const bool crlf = ch == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n');
        c.lines.push_back(
            {text.mid(start, i - start), crlf ? QStringLiteral("\r\n") : QString(ch)});
        if (crlf) ++i;
        start = i + 1;
    }
    if (start < n) c.lines.push_back({text.mid(start), QString()});
    return c;
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    const Content content = read();
    bool inSection = false;
    bool seenSection = false;
    for (const Line& l : content.lines) {
        const QString& line = l.text;
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
    // A line break inside would start a line of its own, which every reader
    // then takes for a key ("Host=AS\nDataLib=EVIL"); names are checked too.
    for (const Entry& e : entries) {
        for (const QString* part : {&e.section, &e.key, &e.value}) {
            if (part->contains(QLatin1Char('\r')) || part->contains(QLatin1Char('\n')))
                throw SettingsError(QStringLiteral("%1/%2 cannot be written: a value may hold no "
                                                   "line break.")
                                        .arg(e.section, e.key));
        }
        if (e.key.contains(QLatin1Char('=')) || e.section.contains(QLatin1Char(']')))
            throw SettingsError(QStringLiteral("%1/%2 is not a name the settings file can hold.")
                                    .arg(e.section, e.key));
    }
    Content content = read();
    const std::vector<Line> before = content.lines;
    // New lines end as the file's lines do (its first ending); a new file's
    // with a line feed.
    QString eol = QStringLiteral("\n");
    for (const Line& l : content.lines) {
        if (!l.eol.isEmpty()) {
            eol = l.eol;
            break;
        }
    }
    for (const Entry& e : entries)
        setKey(content.lines, e.section, e.key, e.value, eol);
    // Writing what the file already says changes nothing: it is left alone.
    if (content.lines == before && QFileInfo::exists(m_path)) return;
    QString text;
    for (const Line& l : content.lines)
        text += l.text + l.eol;
    if (content.endMark) text += QChar(0x1A);
    QByteArray bytes;
    switch (content.encoding) {
    case Encoding::Utf16LE:
        bytes = QByteArray("\xFF\xFE") +
                QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        break;
    case Encoding::Utf8:
        bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        break;
    case Encoding::Ansi:
        bytes = encodeWindows1252(text);
        // A character the code page lacks would be written "?": refused,
        // naming the key, rather than changed.
        if (decodeWindows1252(bytes) != text) {
            for (const Entry& e : entries) {
                if (decodeWindows1252(encodeWindows1252(e.value)) != e.value)
                    throw SettingsError(QStringLiteral("%1/%2 holds a character the settings "
                                                       "file (Windows-1252) cannot hold.")
                                            .arg(e.section, e.key));
            }
        }
        break;
    }
    replaceContent(bytes);
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
