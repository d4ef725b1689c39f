#pragma once

#include <QByteArray>
#include <QString>

namespace zelvaro {

// Text in the host's single-byte EBCDIC code pages, named by CCSID (37,
// 273, 277, 278, 280, 284, 285, 297, 500, 871, 1140 to 1149 and any other
// the C library's iconv knows as IBM<ccsid>). The list APIs say which CCSID
// their text is in; nothing is ever decoded in a code page the list did not
// name. The blank is 0x40 in all of them.
namespace hosttext {

constexpr int DefaultCcsid = 37;

// Whether text of this CCSID can be read and written here.
bool known(int ccsid);
// Text of a fixed-width field, trailing blanks included. HostError naming
// the CCSID when it is not known here.
QString decode(const char* bytes, qsizetype size, int ccsid);
// A CHAR(n) value: the text blank-padded to exactly `width` bytes. Text
// longer than the field, or holding a character the code page lacks, is
// refused (HostError naming `what`), never cut or replaced.
QByteArray encodeFixed(const QString& text, int width, int ccsid, const QString& what);

} // namespace hosttext
} // namespace zelvaro
