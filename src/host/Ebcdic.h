#pragma once

#include <QByteArray>
#include <QString>

namespace zelvaro {

// Text in the host's EBCDIC code page, CCSID 37 (US/Canada), as the list
// APIs write it. CCSID 37 holds exactly the 256 characters of Latin-1, so
// every byte reads as one character and back.
namespace ebcdic {

// The character of one EBCDIC byte.
char16_t toUnicode(unsigned char byte);
// The EBCDIC byte of a character; "?" (0x6F) for one outside Latin-1.
unsigned char fromUnicode(char16_t c);

// Text as read from a fixed-width field, trailing blanks included.
QString decode(const char* bytes, qsizetype size);
// A CHAR(n) value: the text blank-padded to exactly `width` bytes. Text
// longer than the field is refused (HostError naming it), never cut.
QByteArray encodeFixed(const QString& text, int width, const QString& what);

} // namespace ebcdic
} // namespace zelvaro
