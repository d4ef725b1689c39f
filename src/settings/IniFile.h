#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace zelvaro {

// Access to one initialisation file with the semantics of the Windows profile
// functions: section and key names match without regard to case, the first
// match wins, names and values are trimmed of blanks and tabs only, one pair
// of enclosing quotes is dropped, a value is read up to 2047 characters, a
// lone CR ends a line, a Ctrl-Z at the end is ignored, and a write replaces
// one key in place keeping every other line (and its own line ending) of the
// file. A value those rules would change on reading is written inside one
// more pair of double quotes; a value with a line break is refused. The file
// is in the Windows ANSI code page (Windows-1252: every byte reads as one
// character, so lines a write does not touch stay byte for byte; a character
// it lacks is refused, naming the key), or in UTF-16LE or UTF-8 when it
// starts with that byte-order mark, and is written back in it. Nothing is cached:
// every call reads the file, every write goes to disk at once (temporary
// file, flushed, synced, then renamed, keeping the old file's mode and
// group), so a crash or a full disk never leaves a truncated file.
class IniFile {
public:
    static constexpr int MaxValueLength = 2047;

    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    // Why the file, which exists, cannot be read ("Permission denied", "it
    // is a folder", no permission to enter its folder); empty when it can,
    // or when it does not exist (then every key has its default).
    QString readProblem() const;

    // The value, or `defaultValue` when the file, section or key is absent.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;

    // Writes one key; creates the file and the section when missing.
    // Throws SettingsError naming the file when the write fails, naming the
    // key when the value holds a line break or a character the file's
    // encoding cannot hold.
    void writeString(const QString& section, const QString& key, const QString& value) const;
    struct Entry {
        QString section;
        QString key;
        QString value;
    };
    // Keys of any sections, set in this order, in one replacement of the
    // file: all or none.
    void writeEntries(const std::vector<Entry>& entries) const;
    // Several keys of one section in one replacement of the file: all or none.
    void writeStrings(const QString& section,
                      const std::vector<std::pair<QString, QString>>& entries) const;

    struct Line {
        QString text;
        QString eol; // "\r\n", "\n", "\r", or empty for a last line without one
        bool operator==(const Line&) const = default;
    };

private:
    enum class Encoding { Ansi, Utf8, Utf16LE };
    struct Content {
        std::vector<Line> lines;
        Encoding encoding = Encoding::Ansi;
        bool endMark = false; // a Ctrl-Z after the last line
    };
    Content read() const;
    void replaceContent(const QByteArray& bytes) const;

    QString m_path;
};

} // namespace zelvaro
