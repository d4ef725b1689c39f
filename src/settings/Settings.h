#pragma once

#include "settings/IniFile.h"

#include <QDateTime>
#include <QString>

namespace zelvaro {

// Typed access to INVSIG.INI. Each reader supplies its own default; every
// write goes to the file at once.
class Settings {
public:
    static constexpr const char* FileName = "INVSIG.INI";
    static constexpr const char* DefaultHome = "/var/lib/zelvaro-hazmat";

    // The machine-wide folder shared by all users: ZELVARO_HOME when set,
    // otherwise DefaultHome.
    static QString homeDir();
    // The settings file in homeDir().
    static QString defaultPath();

    Settings();
    explicit Settings(const QString& path);

    const QString& path() const { return m_file.path(); }
    // The file exists but cannot be read: "Unable to read the settings file
    // <path>: <reason>"; empty otherwise.
    QString readProblem() const;

    QString readText(const QString& section, const QString& key, const QString& def = {}) const;
    bool readBool(const QString& section, const QString& key, bool def) const;
    // The same, with a present value that is no number said in `problem`
    // ("Transfer/Pwdv2 is "yes", not a number") instead of taken for the
    // default: for keys whose misreading would do harm.
    bool readFlag(const QString& section, const QString& key, bool def, QString* problem) const;
    QDateTime readDateTime(const QString& section, const QString& key, const QDateTime& def) const;

    void writeText(const QString& section, const QString& key, const QString& value) const;
    // Several keys of one section at once: the file holds all of them or none.
    void writeTexts(const QString& section,
                    const std::vector<std::pair<QString, QString>>& entries) const;
    // Keys of any sections at once: the file holds all of them or none.
    void writeEntries(const std::vector<IniFile::Entry>& entries) const
    {
        m_file.writeEntries(entries);
    }
    void writeBool(const QString& section, const QString& key, bool value) const;
    void writeDateTime(const QString& section, const QString& key, const QDateTime& value) const;

    // The fixed textual forms of date-times; midnight is written as the date alone.
    static QString formatDateTime(const QDateTime& value);
    static QDateTime parseDateTime(const QString& text, bool* ok);
    // The integer rule of the profile functions: decimal, or hexadecimal after "0x".
    static bool parseInteger(const QString& text, qint64* value);

private:
    IniFile m_file;
};

} // namespace zelvaro
