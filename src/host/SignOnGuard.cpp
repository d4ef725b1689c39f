#include "host/SignOnGuard.h"

#include "common/Error.h"
#include "common/Text.h"

#include <QHash>

namespace zelvaro {

namespace {

struct State {
    QHash<QString, QString> refused; // key -> message
    int attempts = 0;
    int refusals = 0;
};

State& state()
{
    static State s;
    return s;
}

// The host compares system names and profiles without regard to case.
QString key(const QString& system, const QString& user, const QString& password)
{
    return upperAscii(trimmed(system)) + QChar(0) + upperAscii(trimmed(user)) + QChar(0) + password;
}

} // namespace

void SignOnGuard::checkNotRefused(const QString& system, const QString& user,
                                  const QString& password)
{
    const auto it = state().refused.constFind(key(system, user, password));
    if (it != state().refused.constEnd()) throw HostError(*it);
}

QString SignOnGuard::refused(const QString& system, const QString& user, const QString& password,
                             const QString& hostText)
{
    ++state().refusals;
    const QString message =
        hostText.trimmed() +
        QStringLiteral("\nThe sign-on of user %1 to %2 failed. It is not tried again until the "
                       "system, user or password is changed in File, Setup, or File, Refresh "
                       "Tables is chosen: repeated failed sign-ons can disable the user profile.")
            .arg(printable(upperAscii(user)), printable(system));
    state().refused.insert(key(system, user, password), message);
    return message;
}

void SignOnGuard::forgetAll()
{
    state().refused.clear();
}

int SignOnGuard::attempts()
{
    return state().attempts;
}

int SignOnGuard::refusals()
{
    return state().refusals;
}

void SignOnGuard::countAttempt()
{
    ++state().attempts;
}

} // namespace zelvaro
