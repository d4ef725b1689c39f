#pragma once

#include <QString>

namespace zelvaro {

// Without blanks and control characters at both ends.
QString trimmed(const QString& text);

// Text in single quotes with each single quote inside doubled.
QString sqlQuote(const QString& text);
// The same, appended to a statement being built.
void appendSqlQuoted(QString& out, QStringView text);

// Library and table, each in double quotes, joined by a full stop.
QString qualifiedName(const QString& library, const QString& table);

// Blanks appended, or characters removed from the end, until the text has
// exactly the width.
QString padToWidth(const QString& text, int width);

// Upper-cases only the letters a to z.
QString upperAscii(const QString& text);

// Compares two fixed-width character values as the host does: the shorter one
// counts as padded with blanks. Returns <0, 0 or >0. Inline: the views' key
// searches call it for every step, on short keys.
inline int compareBlankPadded(QStringView a, QStringView b)
{
    const qsizetype n = qMin(a.size(), b.size());
    const char16_t* pa = a.utf16();
    const char16_t* pb = b.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        if (pa[i] != pb[i]) return pa[i] < pb[i] ? -1 : 1;
    }
    for (qsizetype i = n; i < a.size(); ++i) {
        if (pa[i] != u' ') return pa[i] < u' ' ? -1 : 1;
    }
    for (qsizetype i = n; i < b.size(); ++i) {
        if (pb[i] != u' ') return u' ' < pb[i] ? -1 : 1;
    }
    return 0;
}

// The text without trailing blanks.
QString rtrimBlanks(const QString& text);

// Each line break (CR LF, LF or CR) as one blank: the one form in which
// label text is stored and split into hazard lines, so that text stored
// earlier with its breaks splits the same way as text joined on entry.
QString lineBreaksAsBlanks(const QString& text);

// An identifier or value as a message shows it: control characters as
// \xNN (a name with a raw control character would garble the message or
// the terminal it is printed to).
QString printable(const QString& text);
// printable() of the text in single quotes, each single quote inside
// doubled: how the run's summary names items and products.
QString quotedForMessage(const QString& text);

// The Windows ANSI code page, Windows-1252: every byte is one character (the
// five bytes the code page leaves undefined map to the C1 controls, as
// Windows does) and back; characters it cannot hold are written "?".
QString decodeWindows1252(const QByteArray& bytes);
QByteArray encodeWindows1252(const QString& text);

} // namespace zelvaro
