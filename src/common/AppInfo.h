#pragma once

#include <QString>

namespace zelvaro {

// The version strings of an executable.
struct AppInfo {
    QString fileVersion;
    QString fileDescription;
};

// Reads "FileVersion" and "FileDescription" from the version section the
// build stamps into the executable (an ELF section ".zvinfo" holding
// "Name=value" strings, each ended by a NUL). Without one, info stays empty
// and the result is true. A file that cannot be read raises an Error whose
// text starts "AppInfo\n".
bool readAppInfo(const QString& path, AppInfo& info);

} // namespace zelvaro
