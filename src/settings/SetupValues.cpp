#include "settings/SetupValues.h"

#include "settings/PasswordCodec.h"
#include "settings/Settings.h"

namespace zelvaro {

namespace {
const QString Transfer = QStringLiteral("Transfer");
const QString Agrian = QStringLiteral("Agrian");
} // namespace

SetupValues SetupValues::read(const Settings& settings)
{
    SetupValues v;
    v.host = settings.readText(Transfer, QStringLiteral("Host"));
    v.user = settings.readText(Transfer, QStringLiteral("User"));
    const QString stored = settings.readText(Transfer, QStringLiteral("PWD"));
    v.password = settings.readBool(Transfer, QStringLiteral("Pwdv2"), false)
                     ? decodePassword(stored)
                     : decodeLegacyPassword(stored);
    v.library = settings.readText(Transfer, QStringLiteral("DataLib"));
    v.cdmsHazard = settings.readBool(Transfer, QStringLiteral("CDMSHazard"), true);
    v.agrianUser = settings.readText(Agrian, QStringLiteral("UserID"));
    v.agrianPassword = settings.readText(Agrian, QStringLiteral("Password"));
    v.downloadDate = settings.readDateTime(Agrian, QStringLiteral("DownloadDate"),
                                           QDateTime(QDate(2015, 1, 1), QTime(0, 0)));
    return v;
}

void SetupValues::write(const Settings& settings) const
{
    settings.writeEntries(
        {{Transfer, QStringLiteral("Host"), host},
         {Transfer, QStringLiteral("DataLib"), library},
         {Transfer, QStringLiteral("User"), user},
         {Transfer, QStringLiteral("PWD"), encodePassword(password)},
         {Transfer, QStringLiteral("Pwdv2"), QStringLiteral("1")},
         {Transfer, QStringLiteral("CDMSHazard"),
          cdmsHazard ? QStringLiteral("1") : QStringLiteral("0")},
         {Agrian, QStringLiteral("UserID"), agrianUser},
         {Agrian, QStringLiteral("Password"), agrianPassword},
         {Agrian, QStringLiteral("DownloadDate"), Settings::formatDateTime(downloadDate)}});
}

} // namespace zelvaro
