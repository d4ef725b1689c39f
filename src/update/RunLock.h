#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace zelvaro {

// The home's update-run lock (update-run.lock): one update run at a time on
// a home, whoever starts it. A lock whose holder cannot be shown to be alive
// on this host — its process gone, written by another host, or left empty or
// unreadable by a kill or a power loss — is taken over. A lock that cannot
// be created is said with the folder and the reason.
class RunLock {
public:
    enum class Result {
        Taken,
        Busy,        // a live run holds it
        CannotCreate // the home cannot take the lock file
    };
    explicit RunLock(const QString& home);
    ~RunLock();

    Result acquire();
    // Lets the next run start (the destructor does the same).
    void release() { m_lock->unlock(); }
    // The message for Busy and CannotCreate.
    const QString& message() const { return m_message; }

private:
    QString m_home;
    std::unique_ptr<QLockFile> m_lock;
    QString m_message;
};

} // namespace zelvaro
