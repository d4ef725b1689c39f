#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace zelvaro {

// Text in a code page named as the C library's iconv knows it ("IBM273",
// "ISO-8859-15", "CP1250"). Nothing, with the reason in `error`, when the
// name is unknown here or the bytes are not valid in it. Where the C library
// has no iconv (Windows), no code page is known.
std::optional<QString> decodeCodePage(const QByteArray& name, const QByteArray& bytes,
                                      QString* error);

// The text in that code page; nothing, with the reason, when the name is
// unknown or a character cannot be written in it.
std::optional<QByteArray> encodeCodePage(const QByteArray& name, const QString& text,
                                         QString* error);

} // namespace zelvaro
