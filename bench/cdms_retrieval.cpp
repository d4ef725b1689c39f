// Times one CDMS retrieval over the data set of a home (ZELVARO_HOME/cdms or
// CDMS_DATA_DIR) and prints the products listed.
#include "host/HostTables.h"
#include "sources/DotList.h"
#include "sources/cdms/CdmsFileLibrary.h"
#include "sources/cdms/CdmsRetrieval.h"
#include "support/RecordingRunUi.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    zelvaro::HostTables session;
    zelvaro::DotList list;
    QStringList buffer;
    zelvaro::CdmsFileLibrary library;
    zelvaro::test::RecordingRunUi ui;
    QElapsedTimer t;
    t.start();
    zelvaro::CdmsRetrieval(session, list, buffer, library).run(ui);
    QTextStream(stdout) << "CDMS retrieval: " << list.productCount() << " products in "
                        << t.elapsed() << " ms"
                        << (ui.prompts.shown.isEmpty()
                                ? QString()
                                : QStringLiteral(" (") +
                                      ui.prompts.shown.join(QStringLiteral("; ")) +
                                      QStringLiteral(")"))
                        << Qt::endl;
    return ui.prompts.shown.isEmpty() ? 0 : 1;
}
