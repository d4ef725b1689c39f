#include "host/HostText.h"

#include "common/CodePage.h"
#include "common/Error.h"

namespace zelvaro::hosttext {

namespace {

QByteArray iconvName(int ccsid)
{
    return ccsid < 1000 ? QByteArray("IBM") + QByteArray::number(ccsid).rightJustified(3, '0')
                        : QByteArray("IBM") + QByteArray::number(ccsid);
}

[[noreturn]] void unknown(int ccsid, const QString& why)
{
    throw HostError(
        QStringLiteral("The host's text is in CCSID %1, which cannot be read here (%2).")
            .arg(ccsid)
            .arg(why));
}

} // namespace

bool known(int ccsid)
{
    if (ccsid <= 0 || ccsid >= 65535) return false;
    QString why;
    return decodeCodePage(iconvName(ccsid), QByteArray("\x40", 1), &why).has_value();
}

QString decode(const char* bytes, qsizetype size, int ccsid)
{
    if (ccsid <= 0 || ccsid >= 65535) unknown(ccsid, QStringLiteral("no code page"));
    QString why;
    const std::optional<QString> text =
        decodeCodePage(iconvName(ccsid), QByteArray::fromRawData(bytes, size), &why);
    if (!text) unknown(ccsid, why);
    return *text;
}

QByteArray encodeFixed(const QString& text, int width, int ccsid, const QString& what)
{
    if (text.size() > width)
        throw HostError(QStringLiteral("%1 \"%2\" is longer than its %3 characters.")
                            .arg(what, text)
                            .arg(width));
    if (ccsid <= 0 || ccsid >= 65535) unknown(ccsid, QStringLiteral("no code page"));
    QString why;
    std::optional<QByteArray> bytes = encodeCodePage(iconvName(ccsid), text, &why);
    if (!bytes) {
        if (!known(ccsid)) unknown(ccsid, why);
        throw HostError(QStringLiteral("%1 \"%2\" holds a character CCSID %3 cannot hold.")
                            .arg(what, text)
                            .arg(ccsid));
    }
    // Single-byte pages: one byte a character.
    bytes->append(QByteArray(width - bytes->size(), char(0x40)));
    return *bytes;
}

} // namespace zelvaro::hosttext
