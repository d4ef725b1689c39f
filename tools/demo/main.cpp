#include "DemoHome.h"

#include "common/Error.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelvaro-hazmat-demo"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes a demo home: settings, an embedded host and a CDMS data set."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("DIR"), QStringLiteral("the demo home to write"));
    zelvaro::demo::DemoOptions o;
    QCommandLineOption items(QStringLiteral("items"), QStringLiteral("items in the item master"),
                             QStringLiteral("N"), QString::number(o.items));
    QCommandLineOption products(QStringLiteral("products"),
                                QStringLiteral("products in the CDMS data set"),
                                QStringLiteral("N"), QString::number(o.products));
    QCommandLineOption xrefs(QStringLiteral("xrefs"), QStringLiteral("cross references"),
                             QStringLiteral("N"), QString::number(o.xrefs));
    QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("random seed"),
                            QStringLiteral("S"), QString::number(o.seed));
    QCommandLineOption agrian(
        QStringLiteral("agrian"),
        QStringLiteral("Agrian as the hazard source; the service's answers go to DIR"),
        QStringLiteral("DIR"));
    parser.addOptions({items, products, xrefs, seed, agrian});
    parser.process(app);
    if (parser.positionalArguments().size() != 1) parser.showHelp(2);

    QTextStream err(stderr);
    bool ok1, ok2, ok3, ok4;
    o.items = parser.value(items).toInt(&ok1);
    o.products = parser.value(products).toInt(&ok2);
    o.xrefs = parser.value(xrefs).toInt(&ok3);
    o.seed = parser.value(seed).toUInt(&ok4);
    o.agrianDir = parser.value(agrian);
    if (!ok1 || !ok2 || !ok3 || !ok4 || o.items < 0 || o.products < 0 || o.xrefs < 0 ||
        o.items > 5000000) {
        err << "zelvaro-hazmat-demo: --items, --products, --xrefs and --seed take whole numbers"
            << Qt::endl;
        return 2;
    }
    try {
        QElapsedTimer t;
        t.start();
        const auto s = zelvaro::demo::writeDemoHome(parser.positionalArguments().first(), o);
        QTextStream(stdout) << "Demo home written to " << parser.positionalArguments().first()
                            << ": " << s.items << " items, " << s.products << " products ("
                            << s.productsInState << " in the company's state), " << s.dotRows
                            << " DOT rows, " << s.xrefs << " cross references, " << s.hazardRows
                            << " hazard rows in " << t.elapsed() << " ms" << Qt::endl;
    } catch (const zelvaro::Error& e) {
        err << "zelvaro-hazmat-demo: " << e.text() << Qt::endl;
        return 1;
    }
    return 0;
}
