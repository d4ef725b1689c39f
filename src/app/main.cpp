#include "common/BatchPrompter.h"
#include "common/CommandLine.h"
#include "common/StopRequest.h"
#include "gui/MainWindow.h"
#include "gui/QtPrompter.h"
#include "host/HostLister.h"
#include "host/ListingCommands.h"
#include "host/SqlLog.h"
#include "update/RunHistory.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QIcon>
#include <QTextStream>
#include <QTimer>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif
#ifdef ZELVARO_MIMALLOC
#include <mimalloc.h>
#endif

using namespace zelvaro;

namespace {

// The offscreen platform reports window operations it cannot do; in the
// batch run those notes are noise.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    // Nor has an unattended run a session's runtime folder (the service sets
    // one; cron does not): Qt's note about it is no news.
    if (text.startsWith(QLatin1String("This plugin does not support")) ||
        text.contains(QLatin1String("XDG_RUNTIME_DIR not set")))
        return;
    QTextStream(stderr) << qFormatLogMessage(type, context, text) << Qt::endl;
}

} // namespace

// The exit status of a batch run: a signal's 128 + its number, 3 when
// another run held the home, 4 when the home could not take the lock, 1
// after a failure shown or a write refused, else 0.
int batchStatus(const MainWindow& form, const BatchPrompter& batch)
{
    if (StopRequest::signal() != 0) return 128 + StopRequest::signal();
    if (form.updateRefusedBusy()) return 3;
    if (form.updateHadNoLock()) return 4;
    return batch.failed() || form.updateHadRefusedWrites() ? 1 : 0;
}

int main(int argc, char** argv)
{
    StopRequest::installHandlers();
#ifdef ZELVARO_MIMALLOC
    // The allocator's segments on huge pages where the system gives them:
    // far fewer page faults while the views fill.
    mi_option_enable(mi_option_large_os_pages);
#endif
    QStringList argv0;
    for (int i = 0; i < argc; ++i)
        argv0 << QString::fromLocal8Bit(argv[i]);
    const CommandLine cmd = CommandLine::parse(argv0);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!cmd.error.isEmpty()) {
        err << "zelvaro-hazmat: " << cmd.error << "\n\n" << CommandLine::usage();
        return 2;
    }
    if (cmd.help) {
        out << CommandLine::usage();
        return 0;
    }
    if (cmd.version) {
        out << "zelvaro-hazmat " << ZELVARO_VERSION << Qt::endl;
        return 0;
    }
    if (cmd.history >= 0) {
        const RunHistory history;
        const RunHistory::Listing listing = history.readLast(cmd.history);
        for (const QString& note : listing.notes)
            err << "zelvaro-hazmat: " << note << Qt::endl;
        if (!listing.error.isEmpty()) {
            err << "zelvaro-hazmat: " << listing.error << Qt::endl;
            return 1;
        }
        if (listing.records.empty()) {
            out << "No update run recorded in " << QDir::toNativeSeparators(history.path())
                << Qt::endl;
            return 0;
        }
        out << RunHistory::table(listing.records);
        out.flush();
        return 0;
    }
    if (cmd.listFieldsGiven && HostLister::recordFormat(cmd.listFields).isEmpty()) {
        err << "zelvaro-hazmat: --list-fields takes one of the tables U4ITMMR, U4ITHZD, U4FLC, "
               "U4DEPT, U4CDMSDOT, U4CDMSXRF\n\n"
            << CommandLine::usage();
        return 2;
    }
    if (cmd.listLibraries || cmd.listFieldsGiven) {
        // A check of the host from a terminal: the results on standard
        // output, reports (as in batch mode) on standard error.
        QCoreApplication app(argc, argv);
        BatchPrompter batch(stderr);
        const QStringList lines =
            cmd.listLibraries ? listHostLibraries(batch) : listHostFields(cmd.listFields, batch);
        for (const QString& line : lines)
            out << line << '\n';
        out.flush();
        return batch.failed() ? 1 : 0;
    }
    if (cmd.batch && !cmd.unattended()) {
        err << "zelvaro-hazmat: --batch runs the unattended job: give UPDATE as the first "
               "argument\n\n"
            << CommandLine::usage();
        return 2;
    }
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // A window needs a display; cron and ssh sessions have none.
    if (!cmd.batch && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        err << "zelvaro-hazmat: no display: use UPDATE --batch for unattended runs\n";
        return 2;
    }
#endif
    // Without a display the batch run still builds its window, off screen.
    if (cmd.batch) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(quietOffscreen);
    }
    if (!cmd.sqlLog.isEmpty()) SqlLog::setPath(cmd.sqlLog);

#ifdef Q_OS_UNIX
    // The home is shared by a group (setgid folder): what the program
    // creates there stays writable for the group.
    ::umask(::umask(0) & ~mode_t(S_IRWXG));
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zelvaro-hazmat"));
    // The installed menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.zelvaro.hazmat"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("com.zelvaro.hazmat")));
    QApplication::setApplicationVersion(QStringLiteral(ZELVARO_VERSION));

    BatchPrompter batch;
    QtPrompter dialogs;
    Prompter& prompter = cmd.batch ? static_cast<Prompter&>(batch) : dialogs;
    MainWindow form(prompter, cmd.arguments);
    form.setDryRun(cmd.dryRun);
    dialogs.setParent(&form);
    if (cmd.batch) {
        form.setBatchMode(true);
        QObject::connect(&form, &MainWindow::unattendedRunFinished, &app, [&] {
            form.close();
            app.exit(batchStatus(form, batch));
        });
    }
    // A signal between operations ends the program at once; during one, the
    // update run stops at its next statement boundary and the program ends
    // when the operation has. A message waiting there for OK (a summary
    // nobody reads at night) would hold it for good: it is closed, as Escape
    // would close it.
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, &app, [&] {
        if (StopRequest::signal() == 0) return;
        if (form.operationRunning()) {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
            return;
        }
        form.close();
        app.exit(128 + StopRequest::signal());
    });
    stopWatch.start(100);
    form.connectHost();
    if (cmd.batch) {
        // No window at all: the show steps run by themselves and start the run.
        form.guarded([&] { form.prepareShow(); });
    } else {
        form.show();
    }
    return app.exec();
}
