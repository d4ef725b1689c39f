#include "update/RunLock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

namespace zelvaro {

namespace {
// A lock younger than this with no readable holder may be one being written.
constexpr qint64 WritingGraceMs = 2000;
} // namespace

RunLock::RunLock(const QString& home)
    : m_home(home),
      m_lock(std::make_unique<QLockFile>(QDir(home).filePath(QStringLiteral("update-run.lock"))))
{
    m_lock->setStaleLockTime(0); // a lock whose process is gone is taken over
}

RunLock::~RunLock() = default;

RunLock::Result RunLock::acquire()
{
    const QString path = QDir(m_home).filePath(QStringLiteral("update-run.lock"));
    if (m_lock->tryLock(0)) return Result::Taken;
    if (m_lock->error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host, app;
        const bool readable = m_lock->getLockInfo(&pid, &host, &app) && pid > 0;
        const QDateTime written = QFileInfo(path).lastModified();
        const bool old = !written.isValid() ||
                         qAbs(written.msecsTo(QDateTime::currentDateTime())) > WritingGraceMs;
        // Qt has already taken over a lock of a dead process of this host;
        // what is left unproven is an unreadable lock and another host's.
        const bool otherHost = readable && host != QSysInfo::machineHostName();
        if ((!readable && old) || otherHost) {
            if (m_lock->removeStaleLockFile() && m_lock->tryLock(0)) return Result::Taken;
        }
        if (m_lock->error() == QLockFile::LockFailedError) {
            m_message = readable ? QStringLiteral("Another update run is in progress (process %1 "
                                                  "on %2); try again when it has ended.")
                                       .arg(pid)
                                       .arg(host)
                                 : QStringLiteral("Another update run is starting (its lock %1 "
                                                  "is being written); try again in a moment.")
                                       .arg(QDir::toNativeSeparators(path));
            return Result::Busy;
        }
    }
    // Why the lock cannot be made: the folder, then what writing there says.
    QString why;
    const QFileInfo home(m_home);
    if (!home.exists()) {
        why = QStringLiteral("the folder does not exist");
    } else if (!home.isDir()) {
        why = QStringLiteral("it is not a folder");
    } else {
        QFile probe(QDir(m_home).filePath(QStringLiteral(".update-run.probe")));
        if (probe.open(QIODevice::WriteOnly) && probe.write("x", 1) == 1 && probe.flush()) {
            probe.remove();
            why = QStringLiteral("the lock file cannot be written");
        } else {
            why = probe.errorString();
            probe.remove();
        }
    }
    m_message = QStringLiteral("The update run cannot start: its lock file cannot be created in "
                               "%1: %2.")
                    .arg(QDir::toNativeSeparators(m_home), why);
    return Result::CannotCreate;
}

} // namespace zelvaro
