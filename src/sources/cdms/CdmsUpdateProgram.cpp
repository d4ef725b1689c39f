#include "sources/cdms/CdmsUpdateProgram.h"

#include "common/Prompter.h"
#include "common/RunUi.h"
#include "sources/cdms/CdmsFileLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QThread>
#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/types.h>
#endif

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

namespace {
bool isRunning(qint64 pid)
{
#ifdef Q_OS_UNIX
    return ::kill(pid_t(pid), 0) == 0;
#else
    Q_UNUSED(pid);
    return false; // a Windows build waits on the process handle instead
#endif
}
} // namespace

void CdmsUpdateProgram::run(RunUi& ui, const std::function<bool()>& shuttingDown)
{
    ui.beginBusy();
    // Started detached: when the application closes during the wait, the
    // update program goes on with its work instead of being killed.
    qint64 pid = 0;
    QProcess process;
    process.setProgram(m_path);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached(&pid) || pid <= 0) {
        ui.prompter().failure(QStringLiteral("Error starting CDMS Update!"));
        ui.endBusy();
        return;
    }
    // The window keeps painting and answering while the program runs.
    while (isRunning(pid) && !(shuttingDown && shuttingDown())) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
    ui.prompter().message(QStringLiteral("CDMS Update Processed"));
    ui.endBusy();
}

QString helpPageAddress()
{
    return QStringLiteral("https://help.zelvaro.com/hazmat-interface");
}

} // namespace zelvaro
