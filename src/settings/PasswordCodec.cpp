#include "settings/PasswordCodec.h"

#include "common/Error.h"

#include "settings/Settings.h"

#include <QByteArray>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSettings, "zelvaro.settings")

namespace zelvaro {

QString encodePassword(const QString& password)
{
    QByteArray bytes;
    bytes.reserve(password.size());
    for (QChar c : password)
        bytes.append(char(c.unicode() < 256 ? c.unicode() : 63));
    return QString::fromLatin1(bytes.toBase64());
}

QString decodePassword(const QString& stored)
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

QString decodeLegacyPassword(const QString& stored)
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
    QString problem;
    const bool current = settings.readFlag(transfer, QStringLiteral("Pwdv2"), false, &problem);
    // Which form PWD is in is unknown: guessing could sign on with a wrong
    // password (counted by the host) and write it over the right one.
    if (!problem.isEmpty())
        throw SettingsError(problem + QStringLiteral(": the host password is neither read nor "
                                                     "rewritten until it is 1 (or 0). Choose "
                                                     "File, Setup to store it again."));
    if (current) return decodePassword(settings.readText(transfer, QStringLiteral("PWD")));
    const QString password =
        decodeLegacyPassword(settings.readText(transfer, QStringLiteral("PWD")));
    // Both keys in one replacement: a new form read as the legacy one would
    // give a wrong password.
    settings.writeTexts(transfer, {{QStringLiteral("PWD"), encodePassword(password)},
                                   {QStringLiteral("Pwdv2"), QStringLiteral("1")}});
    return password;
}

} // namespace zelvaro
