// Opens the host views of a home as the program does at start-up and prints
// the time it took and the peak memory of the process.
#include "host/HostTables.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <sys/resource.h>

namespace {
struct QuietUi : zelvaro::ConnectUi {
    void message(const QString& text) override { QTextStream(stderr) << text << Qt::endl; }
};
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    zelvaro::HostTables session;
    QuietUi ui;
    QElapsedTimer t;
    t.start();
    const bool ok = session.connect(zelvaro::Settings(), ui);
    session.constView.open();
    const qint64 ms = t.elapsed();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    QTextStream(stdout) << "open views: " << ms << " ms, items " << session.itemView.recordCount()
                        << ", DOT rows " << session.dotView.recordCount() << ", cross references "
                        << session.xrefView.recordCount() << ", hazard rows "
                        << session.hazardView.recordCount() << ", peak memory "
                        << usage.ru_maxrss / 1024 << " MiB" << Qt::endl;
    return ok ? 0 : 1;
}
