#pragma once

#include <QString>
#include <functional>

namespace zelvaro {

class RunUi;

// "CDMS &Update": starts the CDMS data update program and waits for it with
// the window processing its events, busy meanwhile.
class CdmsUpdateProgram {
public:
    // CDMS_UPDATE_PROGRAM when set; otherwise "c:\ACS\CdUpExec.exe" on
    // Windows and CdUpExec in the CDMS data set folder elsewhere.
    static QString defaultPath();

    explicit CdmsUpdateProgram(QString path = defaultPath()) : m_path(std::move(path)) {}

    // `shuttingDown` ends the wait early (the application is closing).
    void run(RunUi& ui, const std::function<bool()>& shuttingDown);

private:
    QString m_path;
};

// The maker's help page.
QString helpPageAddress();

} // namespace zelvaro
