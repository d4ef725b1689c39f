#include "settings/SetupValues.h"

#include "common/Text.h"
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
    // An unreadable Pwdv2 (hand-edited): the current form is the likelier,
    // and the dialog says which key it could not read.
    QString problem;
    const bool current = settings.readFlag(Transfer, QStringLiteral("Pwdv2"), false, &problem);
    v.problem = problem.isEmpty() ? QString()
                                  : problem + QStringLiteral(": the password shown is read as "
                                                             "stored in the current form; OK "
                                                             "stores it again.");
    v.password =
        current || !problem.isEmpty() ? decodePassword(stored) : decodeLegacyPassword(stored);
    v.library = settings.readText(Transfer, QStringLiteral("DataLib"));
    v.cdmsHazard = settings.readBool(Transfer, QStringLiteral("CDMSHazard"), true);
    v.agrianUser = settings.readText(Agrian, QStringLiteral("UserID"));
    v.agrianPassword = settings.readText(Agrian, QStringLiteral("Password"));
    v.downloadDate = settings.readDateTime(Agrian, QStringLiteral("DownloadDate"),
                                           QDateTime(QDate(2015, 1, 1), QTime(0, 0)));
    return v;
}

QString SetupValues::check() const
{
    struct Field {
        const char* label;
        const QString* value;
        bool name;     // blanks at its ends would be lost or change it
        bool password; // stored one byte a character
    };
    const Field fields[] = {{"AS/400", &host, true, false},
                            {"Data Library", &library, true, false},
                            {"User ID", &user, true, false},
                            {"Password", &password, false, true},
                            {"Agrian User ID", &agrianUser, true, false},
                            {"Agrian Password", &agrianPassword, false, false}};
    for (const Field& f : fields) {
        const QString& v = *f.value;
        const QString label = QString::fromLatin1(f.label);
        if (v.contains(QLatin1Char('\r')) || v.contains(QLatin1Char('\n')))
            return QStringLiteral("%1 holds a line break; it cannot be stored.").arg(label);
        if (f.name && v != v.trimmed())
            return QStringLiteral("%1 \"%2\" has blanks at its start or end; a name cannot.")
                .arg(label, v);
        for (const QChar c : v) {
            const bool held = f.password ? c.unicode() < 256
                                         : decodeWindows1252(encodeWindows1252(QString(c))) == c;
            if (!held)
                return QStringLiteral("%1 holds \"%2\", a character the settings file cannot "
                                      "store; nothing was saved.")
                    .arg(label, QString(c));
        }
    }
    return {};
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
