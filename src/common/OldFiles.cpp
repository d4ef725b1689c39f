#include "common/OldFiles.h"

#include <QDir>
#include <QFileInfo>

namespace zelvaro {

void deleteOldFiles(const QString& mask, int days, const QDateTime& now)
{
    const QFileInfo maskInfo(mask);
    const QDir dir = maskInfo.dir();
    // Only a real folder is cleaned: a link in its place could point
    // anywhere, and its target is not ours to delete in.
    const QFileInfo folder(dir.path());
    if (folder.isSymLink() || !folder.isDir()) return;
    const QFileInfoList entries =
        dir.entryInfoList({maskInfo.fileName()},
                          QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QDateTime modified = entry.lastModified();
        if (!modified.isValid()) continue;
        const qint64 age = qAbs(modified.msecsTo(now)) / 86400000;
        if (age > days && entry.isFile() && !entry.isSymLink())
            QFile::remove(entry.absoluteFilePath());
    }
}

QString dataFolder(const QString& home, bool create)
{
    // There is no per-program folder to write beside the executable here; the
    // responses live in the machine-wide home. A home that is missing is
    // not created here (a writer then fails naming the folder).
    const QString folder = QDir(home).filePath(QStringLiteral("Data"));
    if (create && QFileInfo(home).isDir()) QDir(home).mkdir(QStringLiteral("Data"));
    return folder;
}

} // namespace zelvaro
