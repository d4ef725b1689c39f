#include "sources/agrian/AnswerFile.h"

#include "common/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zelvaro {

namespace {

[[noreturn]] void refuseLink(const QString& path)
{
    throw SourceError(QStringLiteral("%1 is a symbolic link: answer files are never written "
                                     "through a link, so it was left as it is (remove it to "
                                     "let the answer be stored).")
                          .arg(QDir::toNativeSeparators(path)));
}

[[noreturn]] void failWrite(const QString& path, const QString& why)
{
    throw SourceError(
        QStringLiteral("Unable to write %1: %2").arg(QDir::toNativeSeparators(path), why));
}

} // namespace

void writeAnswerFile(const QString& path, const QByteArray& bytes, AnswerWrite how)
{
    if (QFileInfo(path).isSymLink()) refuseLink(path);
    if (how == AnswerWrite::Replace) {
        QSaveFile file(path);
        file.setDirectWriteFallback(false);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            failWrite(path, file.errorString());
        return;
    }
#ifdef Q_OS_UNIX
    // A link made after the check above is still not followed.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == ELOOP) refuseLink(path);
        failWrite(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        failWrite(path, file.errorString());
    }
#else
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) failWrite(path, file.errorString());
#endif
    if (file.write(bytes) != bytes.size() || !file.flush()) failWrite(path, file.errorString());
}

} // namespace zelvaro
