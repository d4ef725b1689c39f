#include "common/Error.h"
#include "host/HostSession.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {
class PrintUi : public zelvaro::ConnectUi {
public:
    void setStatusText(const QString& text) override { QTextStream(stdout) << text << Qt::endl; }
    void message(const QString& text) override { QTextStream(stdout) << text << Qt::endl; ok = false; }
    bool ok = true;
};
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    zelvaro::HostSession session;
    zelvaro::Settings settings;
    PrintUi ui;
    const bool ok = session.newconnect(settings, ui);
    QTextStream out(stdout);
    for (zelvaro::ClientView* v : {&session.ItemData, &session.CDMSDOTData, &session.CDMSxrefData,
                                   &session.HazardData, &session.FLCData, &session.DeptData})
        out << v->name() << ": " << (v->isOpen() ? QString::number(v->recordCount()) + " rows" : QStringLiteral("closed")) << Qt::endl;
    return ok && ui.ok ? 0 : 1;
}
