#include "settings/PasswordCodec.h"

#include "settings/Settings.h"

#include <QByteArray>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSettings, "zelvaro.settings")

namespace zelvaro {

QString EncodePassword(const QString& password)
{
    QByteArray bytes;
    bytes.reserve(password.size());
    for (QChar c : password)
        bytes.append(char(c.unicode() < 256 ? c.unicode() : 63));
    return QString::fromLatin1(bytes.toBase64());
}

QString DecodePassword(const QString& stored)
{
    const QByteArray in = stored.toLatin1();
    const auto result = QByteArray::fromBase64Encoding(in, QByteArray::AbortOnBase64DecodingErrors);
    if (!result || stored.size() % 4 != 0 || stored.contains(QChar(0xFFFD)) ||
        in.size() != stored.size()) {
        qCWarning(lcSettings) << "Transfer/PWD is not valid Base64; using an empty password";
        return QString();
    }
    return QString::fromLatin1(*result);
}

QString DecodeLegacyPassword(const QString& stored)
{
    QString out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const ushort shift = ushort(i + 1 + 6);
        out += QChar(ushort(stored.at(i).unicode() - shift));
    }
    return out;
}

QString readHostPasswordMigrating(const Settings& settings)
{
    const QString transfer = QStringLiteral("Transfer");
    if (settings.readBool(transfer, QStringLiteral("Pwdv2"), false))
        return DecodePassword(settings.readText(transfer, QStringLiteral("PWD")));
    const QString password =
        DecodeLegacyPassword(settings.readText(transfer, QStringLiteral("PWD")));
    settings.writeText(transfer, QStringLiteral("PWD"), EncodePassword(password));
    settings.writeBool(transfer, QStringLiteral("Pwdv2"), true);
    return password;
}

} // namespace zelvaro
