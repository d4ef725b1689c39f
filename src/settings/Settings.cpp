#include "settings/Settings.h"

#include <QDir>

namespace zelvaro {

namespace {
const QString DateFormat = QStringLiteral("yyyy-MM-dd");
const QString DateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
} // namespace

QString Settings::homeDir()
{
    const QString env = qEnvironmentVariable("ZELVARO_HOME");
    return env.isEmpty() ? QString::fromLatin1(DefaultHome) : env;
}

QString Settings::defaultPath()
{
    return QDir(homeDir()).filePath(QString::fromLatin1(FileName));
}

Settings::Settings() : m_file(defaultPath()) {}

QString Settings::readProblem() const
{
    const QString why = m_file.readProblem();
    return why.isEmpty() ? QString()
                         : QStringLiteral("Unable to read the settings file %1: %2")
                               .arg(QDir::toNativeSeparators(path()), why);
}

Settings::Settings(const QString& path) : m_file(path) {}

QString Settings::readText(const QString& section, const QString& key, const QString& def) const
{
    return m_file.readString(section, key, def);
}

bool Settings::parseInteger(const QString& text, qint64* value)
{
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negative = t.front() == QLatin1Char('-');
        t.remove(0, 1);
    }
    bool ok = false;
    qint64 v = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QString digits = t.mid(2);
        if (!digits.isEmpty()) v = digits.toLongLong(&ok, 16);
    } else if (!t.isEmpty() && t.front().isDigit()) {
        v = t.toLongLong(&ok, 10);
    }
    if (!ok || v > 0xFFFFFFFFLL) return false;
    *value = negative ? -v : v;
    return true;
}

bool Settings::readBool(const QString& section, const QString& key, bool def) const
{
    const QString marker = QStringLiteral("\x01");
    const QString text = m_file.readString(section, key, marker);
    if (text == marker) return def;
    qint64 v = 0;
    if (!parseInteger(text, &v)) return def;
    return v != 0;
}

bool Settings::readFlag(const QString& section, const QString& key, bool def,
                        QString* problem) const
{
    const QString marker = QStringLiteral("\x01");
    const QString text = m_file.readString(section, key, marker);
    if (text == marker) return def;
    qint64 v = 0;
    if (parseInteger(text, &v)) return v != 0;
    if (problem) *problem = QStringLiteral("%1/%2 is \"%3\", not a number").arg(section, key, text);
    return def;
}

QString Settings::formatDateTime(const QDateTime& value)
{
    if (value.time() == QTime(0, 0)) return value.date().toString(DateFormat);
    return value.toString(DateTimeFormat);
}

QDateTime Settings::parseDateTime(const QString& text, bool* ok)
{
    const QString t = text.trimmed();
    QDateTime dt = QDateTime::fromString(t, DateTimeFormat);
    if (!dt.isValid()) {
        const QDate d = QDate::fromString(t, DateFormat);
        if (d.isValid()) dt = QDateTime(d, QTime(0, 0));
    }
    *ok = dt.isValid();
    return dt;
}

QDateTime Settings::readDateTime(const QString& section, const QString& key,
                                 const QDateTime& def) const
{
    bool ok = false;
    const QDateTime dt = parseDateTime(m_file.readString(section, key, QString()), &ok);
    return ok ? dt : def;
}

void Settings::writeText(const QString& section, const QString& key, const QString& value) const
{
    m_file.writeString(section, key, value);
}

void Settings::writeTexts(const QString& section,
                          const std::vector<std::pair<QString, QString>>& entries) const
{
    m_file.writeStrings(section, entries);
}

void Settings::writeBool(const QString& section, const QString& key, bool value) const
{
    m_file.writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void Settings::writeDateTime(const QString& section, const QString& key,
                             const QDateTime& value) const
{
    m_file.writeString(section, key, formatDateTime(value));
}

} // namespace zelvaro
