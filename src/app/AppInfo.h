#pragma once

#include <QString>

namespace zelvaro {

// The version strings of an executable.
struct tAppInfo {
    QString strFileVersion;
    QString strFileDesc;
};

// Reads "FileVersion" and "FileDescription" from the version section the
// build stamps into the executable (an ELF section ".zvinfo" holding
// "Name=value" strings, each ended by a NUL). Without one, info stays empty
// and the result is true. A file that cannot be read raises an Error whose
// text starts "AppInfo\n".
bool GetAppInfo(const QString& path, tAppInfo& info);

} // namespace zelvaro
