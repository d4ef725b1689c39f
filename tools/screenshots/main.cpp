// Renders the package's screenshots: the main window on a demo home (the
// cross-reference tab) and the setup dialog, as PNG files in the folder
// given. Run on a display (Xvfb will do) with ZELVARO_HOME on a demo home.
#include "common/Prompter.h"
#include "gui/MainWindow.h"
#include "gui/SetupDialog.h"
#include "host/HostLister.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTextStream>

using namespace zelvaro;

namespace {

struct QuietPrompter : Prompter {
    void message(const QString& t) override { QTextStream(stderr) << t << Qt::endl; }
    void failure(const QString& t) override { QTextStream(stderr) << t << Qt::endl; }
    bool confirm(const QString&, bool) override { return false; }
    void report(const ErrorReport& r) override { QTextStream(stderr) << r.description << Qt::endl; }
    int showTable(const QString&, const QStringList&, const std::vector<QStringList>&,
                  const QString&) override
    {
        return -1;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        QTextStream(stderr) << "usage: zelvaro-screenshots FOLDER" << Qt::endl;
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QuietPrompter prompter;
    MainWindow form(prompter, {});
    form.connectHost();
    form.show();
    QTest::qWait(500);
    if (!form.grab().save(out.filePath(QStringLiteral("main-window.png")))) return 1;
    HostLister link(prompter);
    SetupDialog setup(link, prompter);
    setup.prepare();
    setup.show();
    QTest::qWait(300);
    if (!setup.grab().save(out.filePath(QStringLiteral("setup-dialog.png")))) return 1;
    return 0;
}
