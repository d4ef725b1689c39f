#pragma once

#include <QString>

namespace zelvaro {

// Sign-on discipline for the whole process. A host counts every failed
// sign-on and disables the user profile after QMAXSIGN of them (often 3),
// so a refused sign-on of a user to a system with a password is
// remembered: no later step, grid, timer or listing tries the same sign-on
// again until the system, user or password changes (File, Setup) or the
// user asks for it (File, Refresh Tables: forgetAll). Both routes and both
// kinds of connection (SQL, listing job) go through it.
class SignOnGuard {
public:
    // HostError with the remembered message when this sign-on was refused.
    static void checkNotRefused(const QString& system, const QString& user,
                                const QString& password);
    // Remembers a refusal and returns the message to raise: the host's or
    // driver's text, then which system and user were refused and why the
    // program does not try again.
    static QString refused(const QString& system, const QString& user, const QString& password,
                           const QString& hostText);
    static void forgetAll();

    // Sign-on attempts made by this process, and how many were refused.
    static int attempts();
    static int refusals();
    static void countAttempt();
};

} // namespace zelvaro
