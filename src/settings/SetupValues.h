#pragma once

#include <QDateTime>
#include <QString>

namespace zelvaro {

class Settings;

// What the setup dialog edits: host system, library, user and password,
// hazard source, and the Agrian account with its last download date.
struct SetupValues {
    QString host;
    QString library;
    QString user;
    QString password; // in clear
    QString problem;  // a key that could not be read, said by the dialog
    bool cdmsHazard = true;
    QString agrianUser;
    QString agrianPassword; // stored as typed
    QDateTime downloadDate;

    // The values as the settings file holds them (the password decoded in
    // the form Transfer/Pwdv2 names).
    static SetupValues read(const Settings& settings);
    // Why the values cannot be stored exactly (naming the field as the
    // dialog labels it): a line break anywhere, blanks at the start or end
    // of a name, a character the settings file (Windows-1252) or the
    // password's stored form (one byte a character) cannot hold. Empty
    // when they can.
    QString check() const;
    // Writes every key in the dialog's order, in one replacement of the
    // file: all of them or, on a failure (SettingsError), none.
    void write(const Settings& settings) const;
};

} // namespace zelvaro
