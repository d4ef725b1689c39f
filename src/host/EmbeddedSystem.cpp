#include "host/EmbeddedSystem.h"

#include "common/Error.h"
#include "common/Text.h"
#include "host/HostConnection.h"
#include "host/HostText.h"
#include "settings/IniFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zelvaro {

namespace {
const QString System = QStringLiteral("System");
const QString Users = QStringLiteral("Users");
const QString Attempts = QStringLiteral("Attempts");
} // namespace

EmbeddedSystem::EmbeddedSystem(QString folder) : m_folder(std::move(folder)) {}

QString EmbeddedSystem::usersFile() const
{
    return QDir(m_folder).filePath(QStringLiteral("users.ini"));
}

bool EmbeddedSystem::hasUsers() const
{
    return QFileInfo(usersFile()).isFile();
}

int EmbeddedSystem::ccsid() const
{
    if (!hasUsers()) return hosttext::DefaultCcsid;
    bool ok = false;
    const int value = IniFile(usersFile())
                          .readString(System, QStringLiteral("CCSID"), QString())
                          .trimmed()
                          .toInt(&ok);
    return ok ? value : hosttext::DefaultCcsid;
}

int EmbeddedSystem::maxSignOnAttempts() const
{
    bool ok = false;
    const int value = IniFile(usersFile())
                          .readString(System, QStringLiteral("QMAXSIGN"), QString())
                          .trimmed()
                          .toInt(&ok);
    return ok && value > 0 ? value : 3;
}

int EmbeddedSystem::failedAttempts(const QString& user) const
{
    return IniFile(usersFile()).readString(Attempts, upperAscii(user), QStringLiteral("0")).toInt();
}

bool EmbeddedSystem::disabled(const QString& user) const
{
    return hasUsers() && failedAttempts(user) >= maxSignOnAttempts();
}

void EmbeddedSystem::record(const QString& user, const QString& purpose,
                            const QString& result) const
{
    QFile log(QDir(m_folder).filePath(QStringLiteral("signon.log")));
    if (log.open(QIODevice::Append))
        log.write((QDateTime::currentDateTime().toString(Qt::ISODateWithMs) + QLatin1Char('\t') +
                   user + QLatin1Char('\t') + purpose + QLatin1Char('\t') + result +
                   QLatin1Char('\n'))
                      .toUtf8());
}

void EmbeddedSystem::signOn(const QString& user, const QString& password,
                            const QString& purpose) const
{
    if (!hasUsers()) return;
    const IniFile users(usersFile());
    // Profiles are upper case on the host; what is typed is upper-cased.
    const QString profile = upperAscii(trimmed(user));
    const QString system = QFileInfo(m_folder).fileName();
    const QString missing = QStringLiteral("\x01");
    const QString stored = users.readString(Users, profile, missing);
    if (profile.isEmpty() || stored == missing) {
        record(profile, purpose, QStringLiteral("unknown user"));
        throw HostError(QStringLiteral("CWBSY1001 - User ID %1 is not known on system %2.")
                            .arg(printable(profile), system));
    }
    if (disabled(profile)) {
        record(profile, purpose, QStringLiteral("disabled"));
        throw HostError(QStringLiteral("CPF1393 - User profile %1 has been disabled because "
                                       "maximum number of sign-on attempts reached.")
                            .arg(profile));
    }
    if (stored != password) {
        const int failed = failedAttempts(profile) + 1;
        users.writeString(Attempts, profile, QString::number(failed));
        record(profile, purpose, QStringLiteral("wrong password"));
        if (failed >= maxSignOnAttempts())
            throw HostError(QStringLiteral("CPF1393 - User profile %1 has been disabled because "
                                           "maximum number of sign-on attempts reached.")
                                .arg(profile));
        throw HostError(QStringLiteral("CWBSY1002 - Password for user %1 on system %2 is not "
                                       "correct.")
                            .arg(profile, system));
    }
    if (failedAttempts(profile) != 0) users.writeString(Attempts, profile, QStringLiteral("0"));
    record(profile, purpose, QStringLiteral("signed on"));
}

void EmbeddedSystem::shareWithGroup(const QString& libraryFile)
{
#ifdef Q_OS_UNIX
    // In a home shared by a group (a setgid folder), a library and the
    // journal files SQLite makes beside it (which take the library's mode)
    // must stay writable for the group: else the next member's run, or the
    // nightly service, is refused every write.
    // The library's system folder, hosts/, or the home itself.
    bool shared = false;
    QString folder = QFileInfo(libraryFile).absolutePath();
    for (int level = 0; level < 3 && !shared; ++level) {
        struct stat st {};
        shared = ::stat(QFile::encodeName(folder).constData(), &st) == 0 && (st.st_mode & S_ISGID);
        folder = QFileInfo(folder).absolutePath();
    }
    if (!shared) return;
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        const QByteArray path = QFile::encodeName(libraryFile + suffix);
        struct stat f {};
        if (::stat(path.constData(), &f) == 0 && f.st_uid == ::geteuid() &&
            (f.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP))
            ::chmod(path.constData(), (f.st_mode & 07777) | S_IRGRP | S_IWGRP);
    }
#else
    Q_UNUSED(libraryFile);
#endif
}

QString EmbeddedSystem::libraryPath(const QString& library) const
{
    if (!HostRoute::checkLibraryName(library, QString()).isEmpty()) return {};
    return QDir(m_folder).filePath(library + QStringLiteral(".db"));
}

} // namespace zelvaro
