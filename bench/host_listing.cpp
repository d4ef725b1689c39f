// Times the host listings on an embedded system of 20 libraries, one of them
// holding 500 tables of 50 fields each: the library list, the field lists of
// all 500 tables, and the grid titles of one connection (seven grids, one
// list space). From a fresh link each time; best of three.
#include "common/Prompter.h"
#include "host/HostLister.h"
#include "host/HostSchema.h"
#include "host/LibraryWriter.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>

using namespace zelvaro;

namespace {

struct StderrPrompter : Prompter {
    void message(const QString&) override {}
    void failure(const QString& text) override { QTextStream(stderr) << text << Qt::endl; }
    bool confirm(const QString&, bool) override { return false; }
    void report(const ErrorReport& r) override { QTextStream(stderr) << r.description << Qt::endl; }
    int showTable(const QString&, const QStringList&, const std::vector<QStringList>&,
                  const QString&) override
    {
        return -1;
    }
};

void writeSystem(const QString& systemDir)
{
    QDir().mkpath(systemDir);
    for (int l = 2; l <= 20; ++l)
        LibraryWriter(systemDir, QStringLiteral("CO%1DATA").arg(l, 2, 10, QLatin1Char('0')))
            .createTable(*hostTable(QStringLiteral("U4CONST")));
    LibraryWriter big(systemDir, QStringLiteral("CO01DATA"));
    for (const TableDef& t : hostTables())
        big.createTable(t);
    for (int t = 0; t < 500; ++t) {
        TableDef table;
        table.name = QStringLiteral("T%1").arg(t, 4, 10, QLatin1Char('0'));
        table.recordFormat = table.name + QStringLiteral("R");
        for (int f = 0; f < 50; ++f) {
            ColumnDef c;
            c.field.name = QStringLiteral("F%1X%2").arg(t).arg(f);
            c.field.width = 10;
            c.headings[0] = QStringLiteral("Field %1").arg(f);
            c.headings[1] = QStringLiteral("of table");
            c.headings[2] = table.name;
            table.columns.push_back(c);
        }
        big.createTable(table);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString home = Settings::homeDir();
    const QString systemDir = QDir(home).filePath(QStringLiteral("hosts/BENCH400"));
    if (!QFileInfo::exists(QDir(systemDir).filePath(QStringLiteral("CO01DATA.db"))))
        writeSystem(systemDir);
    qputenv("ZELVARO_HOST_DRIVER", "embedded");
    StderrPrompter prompter;
    qint64 best[3] = {-1, -1, -1};
    int libraries = 0, lines = 0;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer t;
        {
            HostLister link(prompter);
            t.start();
            ChoiceList systems, list;
            link.loadSystemNames(systems, QStringLiteral("BENCH400"));
            link.loadLibraryList(list, QString());
            const qint64 a = t.elapsed();
            libraries = int(list.entries.size());
            t.restart();
            link.createListSpace();
            lines = 0;
            for (int n = 0; n < 500; ++n) {
                const QString table = QStringLiteral("T%1").arg(n, 4, 10, QLatin1Char('0'));
                link.listFields(table, QStringLiteral("CO01DATA"), table + QStringLiteral("R"));
                QStringList fields;
                link.readFieldList(fields);
                lines += int(fields.size());
            }
            link.deleteListSpace();
            const qint64 b = t.elapsed();
            best[0] = best[0] < 0 ? a : std::min(best[0], a);
            best[1] = best[1] < 0 ? b : std::min(best[1], b);
        }
        {
            HostLister link(prompter);
            ChoiceList hidden;
            t.restart();
            const char* tables[] = {"U4ITMMR", "U4CDMSDOT", "U4CDMSDOT", "U4CDMSXRF",
                                    "U4ITHZD", "U4FLC",     "U4DEPT"};
            for (const char* table : tables) {
                QStringList titles{QStringLiteral("IMPROD"), QStringLiteral("CDNAME")};
                link.setGridTitles(QString::fromLatin1(table), QStringLiteral("CO01DATA"), titles,
                                   hidden, QStringLiteral("BENCH400"));
            }
            QStringList none;
            link.setGridTitles(QString(), QStringLiteral("CO01DATA"), none, hidden,
                               QStringLiteral("BENCH400"));
            const qint64 c = t.elapsed();
            best[2] = best[2] < 0 ? c : std::min(best[2], c);
        }
    }
    QTextStream(stdout) << "(" << libraries << " data libraries, " << lines
                        << " field lines)\nhost listing: libraries " << best[0]
                        << " ms, fields of 500 tables " << best[1] << " ms, total "
                        << best[0] + best[1] << " ms, grid titles of one connect " << best[2]
                        << " ms" << Qt::endl;
    return 0;
}
