#include "sources/cdms/CdmsUpdateProgram.h"

#include "common/Prompter.h"
#include "common/RunUi.h"
#include "sources/cdms/CdmsFileLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

namespace zelvaro {

QString CdmsUpdateProgram::defaultPath()
{
    const QString env = qEnvironmentVariable("CDMS_UPDATE_PROGRAM");
    if (!env.isEmpty()) return env;
#ifdef Q_OS_WIN
    return QStringLiteral("c:\\ACS\\CdUpExec.exe");
#else
    return QDir(CdmsFileLibrary::defaultFolder()).filePath(QStringLiteral("CdUpExec"));
#endif
}

void CdmsUpdateProgram::RefreshCDMSData1Click(RunUi& ui, const std::function<bool()>& shuttingDown)
{
    ui.formwait();
    QProcess process;
    process.setProgram(m_path);
    process.start();
    if (!process.waitForStarted(10000)) {
        ui.prompter().failure(QStringLiteral("Error starting CDMS Update!"));
        ui.formready();
        return;
    }
    // The window keeps painting and answering while the program runs.
    while (process.state() != QProcess::NotRunning && !(shuttingDown && shuttingDown())) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        process.waitForFinished(50);
    }
    if (process.state() != QProcess::NotRunning) process.waitForFinished(0);
    ui.prompter().message(QStringLiteral("CDMS Update Processed"));
    ui.formready();
}

QString helpPageAddress() { return QStringLiteral("https://help.zelvaro.com/hazmat-interface"); }

} // namespace zelvaro
