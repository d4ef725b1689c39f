#include "sources/agrian/AgrianText.h"

#include "common/CodePage.h"
#include "common/Error.h"
#include "common/Text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace zelvaro {

namespace {

// The encoding name of an XML declaration at the start of the bytes, in
// lower case; empty without one.
QByteArray declaredEncoding(const QByteArray& bytes)
{
    if (!bytes.startsWith("<?xml")) return {};
    const qsizetype end = bytes.indexOf("?>");
    if (end < 0) return {};
    const QByteArray decl = bytes.left(end);
    const qsizetype at = decl.indexOf("encoding");
    if (at < 0) return {};
    qsizetype i = at + 8;
    while (i < decl.size() && (decl[i] == ' ' || decl[i] == '=' || decl[i] == '\t'))
        ++i;
    if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\'')) return {};
    const char quote = decl[i];
    const qsizetype close = decl.indexOf(quote, i + 1);
    if (close < 0) return {};
    return decl.mid(i + 1, close - i - 1).trimmed().toLower();
}

bool isSingleByteWestern(const QByteArray& name)
{
    for (const char* known : {"windows-1252", "cp1252", "x-cp1252", "iso-8859-1", "iso8859-1",
                              "iso_8859-1", "latin1", "latin-1", "l1", "us-ascii", "ascii"})
        if (name == known) return true;
    return false;
}

bool validUtf8(const QByteArray& bytes, QString* text)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *text = utf8(bytes);
    return !utf8.hasError();
}

} // namespace

AgrianText AgrianText::decode(const QByteArray& bytes)
{
    AgrianText out;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        out.form = Form::Utf8Bom;
        if (validUtf8(bytes.mid(3), &out.text)) return out;
        out.text = decodeWindows1252(bytes.mid(3));
        return out;
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool le = bytes.startsWith("\xFF\xFE");
        out.form = le ? Form::Utf16LE : Form::Utf16BE;
        QStringDecoder d(le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                         QStringDecoder::Flag::Stateless);
        out.text = d(bytes.mid(2));
        if (d.hasError()) throw SourceError(QStringLiteral("the answer is not valid UTF-16 text"));
        return out;
    }
    const QByteArray declared = declaredEncoding(bytes);
    const bool utf8Named = declared.isEmpty() || declared == "utf-8" || declared == "utf8";
    if (!utf8Named && !isSingleByteWestern(declared)) {
        // Any other code page the C library knows; stored back in UTF-8.
        QString why;
        const std::optional<QString> text = decodeCodePage(declared.toUpper(), bytes, &why);
        if (!text)
            throw SourceError(QStringLiteral("the answer is declared in \"%1\" and cannot be "
                                             "read: %2")
                                  .arg(printable(QString::fromLatin1(declared)), why));
        out.text = *text;
        out.form = Form::Utf8;
        return out;
    }
    if (utf8Named && validUtf8(bytes, &out.text)) {
        out.form = Form::Utf8;
        return out;
    }
    out.form = Form::Windows1252;
    out.text = decodeWindows1252(bytes);
    return out;
}

QByteArray AgrianText::encode(const QString& text, Form form)
{
    switch (form) {
    case Form::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case Form::Utf8:
        return text.toUtf8();
    case Form::Windows1252:
        return encodeWindows1252(text);
    case Form::Utf16LE:
    case Form::Utf16BE: {
        const bool le = form == Form::Utf16LE;
        QStringEncoder e(le ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE);
        return QByteArray(le ? "\xFF\xFE" : "\xFE\xFF") + QByteArray(e(text));
    }
    }
    return text.toUtf8();
}

} // namespace zelvaro
