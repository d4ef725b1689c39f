#include "common/CodePage.h"

#if __has_include(<iconv.h>)
#include <cerrno>
#include <iconv.h>
#include <map>
#include <string>
#define ZELVARO_HAVE_ICONV 1
#endif

namespace zelvaro {

namespace {

#ifdef ZELVARO_HAVE_ICONV
// Converts all of `in` from one code page to another; false with the reason.
bool convert(const char* to, const char* from, const QByteArray& in, QByteArray* out,
             QString* error)
{
    // Descriptors are kept: a listing converts field by field. One thread
    // uses them (the program has no other).
    static std::map<std::pair<std::string, std::string>, iconv_t> opened;
    const auto key = std::make_pair(std::string(to), std::string(from));
    auto it = opened.find(key);
    iconv_t cd = it == opened.end() ? iconv_open(to, from) : it->second;
    if (it == opened.end() && cd != iconv_t(-1)) opened.emplace(key, cd);
    if (cd == iconv_t(-1)) {
        *error = QStringLiteral("the code page %1 is not known here")
                     .arg(QString::fromLatin1(from[0] == 'U' && to[0] != 'U' ? to : from));
        return false;
    }
    // UTF-16 in the machine's order: at most 4 bytes a byte either way.
    out->resize(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.constData());
    size_t srcLeft = size_t(in.size());
    char* dst = out->data();
    size_t dstLeft = size_t(out->size());
    iconv(cd, nullptr, nullptr, nullptr, nullptr); // the initial shift state
    const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    const int err = errno;
    if (rc == size_t(-1)) {
        *error = err == EILSEQ || err == EINVAL
                     ? QStringLiteral("byte %1 is not valid in the code page")
                           .arg(in.size() - qsizetype(srcLeft))
                     : QStringLiteral("the conversion failed");
        return false;
    }
    out->resize(out->size() - qsizetype(dstLeft));
    return true;
}
#endif

} // namespace

std::optional<QString> decodeCodePage(const QByteArray& name, const QByteArray& bytes,
                                      QString* error)
{
#ifdef ZELVARO_HAVE_ICONV
    QByteArray utf16;
    if (!convert("UTF-16LE", name.constData(), bytes, &utf16, error)) return std::nullopt;
    QString text(utf16.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(uchar(utf16[2 * i]) | (uchar(utf16[2 * i + 1]) << 8)));
    return text;
#else
    Q_UNUSED(bytes);
    *error = QStringLiteral("the code page %1 is not known here").arg(QString::fromLatin1(name));
    return std::nullopt;
#endif
}

std::optional<QByteArray> encodeCodePage(const QByteArray& name, const QString& text,
                                         QString* error)
{
#ifdef ZELVARO_HAVE_ICONV
    QByteArray utf16(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        utf16[2 * i] = char(c & 0xFF);
        utf16[2 * i + 1] = char(c >> 8);
    }
    QByteArray out;
    if (!convert(name.constData(), "UTF-16LE", utf16, &out, error)) return std::nullopt;
    return out;
#else
    Q_UNUSED(text);
    *error = QStringLiteral("the code page %1 is not known here").arg(QString::fromLatin1(name));
    return std::nullopt;
#endif
}

} // namespace zelvaro
