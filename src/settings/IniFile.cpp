#include "settings/IniFile.h"

#include "common/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

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

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QStringList IniFile::readLines(bool* crlf) const
{
    QFile file(m_path);
    if (crlf) *crlf = false;
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    if (crlf) *crlf = bytes.contains("\r\n");
    // Undecodable bytes become replacement characters: garbage yields
    // defaults, never a crash.
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
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
    bool crlf = false;
    QStringList lines = readLines(&crlf);
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

    const QString eol = crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    const QString text = lines.join(eol) + eol;

    const QFileInfo info(m_path);
    QDir().mkpath(info.absolutePath());
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly) || out.write(text.toUtf8()) < 0 || !out.commit()) {
        throw SettingsError(
            QStringLiteral("Unable to write to %1: %2")
                .arg(QDir::toNativeSeparators(info.absoluteFilePath()), out.errorString()));
    }
}

} // namespace zelvaro
