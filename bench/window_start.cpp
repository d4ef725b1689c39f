// One start of the main window on the home ZELVARO_HOME names (connect, the
// seven views and their grid titles, the first show), then prints the
// sign-on attempts the program made and how many were refused. The
// script around it counts the connections the ODBC driver manager saw.
#include "common/Prompter.h"
#include "gui/MainWindow.h"
#include "host/SignOnGuard.h"

#include <QApplication>
#include <QTextStream>

using namespace zelvaro;

namespace {

// Answers everything at once; counts what would have been shown.
struct CountingDialogs : Prompter {
    void message(const QString&) override {}
    void failure(const QString& text) override
    {
        ++failures;
        if (qEnvironmentVariableIsSet("BENCH_SHOW"))
            QTextStream(stderr) << "failure: " << text << Qt::endl;
    }
    bool confirm(const QString&, bool) override { return false; }
    void report(const ErrorReport& r) override
    {
        ++reports;
        if (qEnvironmentVariableIsSet("BENCH_SHOW"))
            QTextStream(stderr) << "report: " << r.description << Qt::endl;
    }
    int showTable(const QString&, const QStringList&, const std::vector<QStringList>&,
                  const QString&) override
    {
        return -1;
    }
    int failures = 0;
    int reports = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CountingDialogs dialogs;
    {
        MainWindow form(dialogs, {});
        form.connectHost();
        form.show();
        QApplication::processEvents();
    }
    QTextStream(stdout) << "window start: " << SignOnGuard::attempts() << " sign-on attempts, "
                        << SignOnGuard::refusals() << " refused; " << dialogs.reports
                        << " error windows, " << dialogs.failures << " messages" << Qt::endl;
    return 0;
}
