#pragma once

#include <QString>

namespace zelvaro {

// One embedded host system: the folder hosts/<SYSTEM> with its libraries
// (<LIBRARY>.db) and, optionally, users.ini, the system's user profiles and
// system values:
//
//   [System]
//   QMAXSIGN=3        failed sign-ons in a row that disable a profile (default 3)
//   CCSID=273         the code page of the list APIs' text (default 37)
//   [Users]
//   QUSER=secret      one line a profile: user=password
//   [Attempts]        written by the host: failed sign-ons in a row
//
// With users.ini the system signs users on as an IBM i does: an unknown
// user or a wrong password is refused, a wrong password counts against the
// profile, and the QMAXSIGN-th in a row disables it (CPF1393) until an
// administrator edits its count in [Attempts]; a good sign-on clears the
// count. Every attempt is appended to signon.log beside it (what the tests
// count). Without users.ini any user signs on and nothing is recorded.
class EmbeddedSystem {
public:
    explicit EmbeddedSystem(QString folder);

    const QString& folder() const { return m_folder; }
    bool hasUsers() const;
    // The CCSID of the list APIs' text.
    int ccsid() const;
    int maxSignOnAttempts() const;

    // Signs `user` on (for `purpose`: "SQL" or "job", recorded in the log);
    // HostError with the host's text when refused.
    void signOn(const QString& user, const QString& password, const QString& purpose) const;

    // Failed sign-ons in a row of a profile, and whether it is disabled.
    int failedAttempts(const QString& user) const;
    bool disabled(const QString& user) const;

    // The library file of `library` in this system, or an empty text for a
    // name that is not a library name (the caller reports it).
    QString libraryPath(const QString& library) const;

    // In a home shared by a group (setgid home or system folder), makes a
    // library file this user owns, and its -wal and -shm (SQLite gives them
    // the library's mode), readable and writable for the group: else the
    // next member's run, or the nightly service, is refused every write.
    static void shareWithGroup(const QString& libraryFile);

private:
    QString usersFile() const;
    void record(const QString& user, const QString& purpose, const QString& result) const;

    QString m_folder;
};

} // namespace zelvaro
