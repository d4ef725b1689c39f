#pragma once

#include <QByteArray>
#include <QString>

namespace zelvaro {

// The text of an answer of the Agrian service, decoded by one rule for both
// documents (the changed-product list and the regulatory data): a
// byte-order mark decides; else the encoding the XML declaration names
// (UTF-8, or Windows-1252 for every single-byte Western name, ISO-8859-1
// included, as browsers read it; any other code page through the C
// library's iconv); else UTF-8 when the bytes are valid UTF-8, Windows-1252
// when not. Bytes declared UTF-8 that are not valid UTF-8 are read as
// Windows-1252 too: never with replacement characters.
struct AgrianText {
    enum class Form { Utf8Bom, Utf8, Utf16LE, Utf16BE, Windows1252 };
    QString text;
    Form form = Form::Utf8;

    // SourceError for an encoding the declaration names and this program
    // cannot read, or bytes not valid in it (the answer would be stored
    // garbled).
    static AgrianText decode(const QByteArray& bytes);
    // The text in the form it was read in (byte-order mark included; a
    // document read through iconv is written as UTF-8).
    static QByteArray encode(const QString& text, Form form);
};

} // namespace zelvaro
