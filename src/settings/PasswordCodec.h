#pragma once

#include <QString>

namespace zelvaro {

class Settings;

// The current stored form of the host password: one byte per character
// (63 for codes of 256 and above), Base64 in one line.
QString encodePassword(const QString& password);
// The password from its current stored form. Text that is not valid Base64
// yields an empty password (and a log line).
QString decodePassword(const QString& stored);
// The password from its legacy stored form.
QString decodeLegacyPassword(const QString& stored);

// Reads the host password from Transfer/PWD in the form Transfer/Pwdv2 names;
// a legacy form is rewritten in the current form with Pwdv2 set.
// Throws SettingsError when that rewrite fails.
QString readHostPasswordMigrating(const Settings& settings);

} // namespace zelvaro
