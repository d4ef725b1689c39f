#pragma once

#include <QDateTime>
#include <QString>

namespace zelvaro {

// Deletes the files matching `mask` (a folder path ending in a file-name
// pattern) whose last modification lies more than `days` whole days before
// `now`. Folders, links and files that do not match are left alone, and a
// folder that is itself a symbolic link is not cleaned; failures are silent.
void deleteOldFiles(const QString& mask, int days,
                    const QDateTime& now = QDateTime::currentDateTime());

// The folder for the web-service response files in `home`; with `create`
// it is made when missing, but only inside a home that exists.
QString dataFolder(const QString& home, bool create);

} // namespace zelvaro
