#pragma once

#include <QString>
#include <QStringList>

namespace zelvaro {

// Access to one initialisation file with the semantics of the Windows profile
// functions: section and key names match without regard to case, the first
// match wins, a value is read up to 2047 characters, and a write replaces one
// key in place keeping every other line of the file. Nothing is cached: every
// call reads the file, every write goes to disk at once (temporary file, then
// rename), so a crash never leaves a truncated file.
class IniFile {
public:
    static constexpr int MaxValueLength = 2047;

    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    // The value, or `defaultValue` when the file, section or key is absent.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;

    // Writes one key; creates the file and the section when missing.
    // Throws SettingsError naming the file when the write fails.
    void writeString(const QString& section, const QString& key, const QString& value) const;

private:
    QStringList readLines(bool* crlf) const;

    QString m_path;
};

} // namespace zelvaro
