// The real main window, off screen, on a large demo home: opening, the item
// filters, and moving through links, items and positions. Each action is
// timed from the press until the event loop is idle; the slowest of five
// after a warm-up is printed as "name: value unit".
#include "common/Prompter.h"
#include "gui/MainWindow.h"
#include "host/MemoryView.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextStream>
#include <functional>
#include <sys/resource.h>

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

QTextStream out(stdout);

qint64 untilIdle(const std::function<void()>& action)
{
    QElapsedTimer t;
    t.start();
    action();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return t.nsecsElapsed() / 1000;
}

void measure(const QString& name, const std::function<void(int)>& action,
             const std::function<void()>& setup = {})
{
    if (setup) setup();
    untilIdle([&] { action(0); }); // warm-up
    qint64 worst = 0;
    for (int i = 1; i <= 5; ++i) {
        if (setup) setup();
        worst = qMax(worst, untilIdle([&] { action(i); }));
    }
    out << name << ": " << QString::number(worst / 1000.0, 'f', 1) << " ms" << Qt::endl;
}

template <class T> T* child(QObject& o, const char* name)
{
    return o.findChild<T*>(QString::fromLatin1(name));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QuietPrompter prompter;
    MainWindow form(prompter, QStringList());
    QElapsedTimer t;
    t.start();
    form.connectHost();
    form.show();
    QCoreApplication::processEvents();
    out << "open: " << t.elapsed() << " ms" << Qt::endl;

    HostTables& s = form.session();
    const int all = s.itemView.recordCount();
    auto* name = child<QCheckBox>(form, "cbxName");
    auto* flc = child<QCheckBox>(form, "cbxFlc");
    auto* dept = child<QCheckBox>(form, "cbxDept");
    auto* edName = child<QLineEdit>(form, "edName");
    auto* edFlc = child<QLineEdit>(form, "edFLC");
    auto* edDept = child<QLineEdit>(form, "edDept");
    auto* apply = child<QPushButton>(form, "btFilter");
    edName->setText(QStringLiteral("SEED"));
    edFlc->setText(QStringLiteral("IMFLCD in (150,155,160,165)"));
    edDept->setText(QStringLiteral("IMDEPT in (20,30)"));
    const struct {
        const char* name;
        bool byName, byFlc, byDept;
    } filters[] = {{"description", true, false, false},
                   {"flc", false, true, false},
                   {"dept", false, false, true},
                   {"all", true, true, true}};
    for (const auto& f : filters) {
        auto set = [&](bool on) {
            name->setChecked(on && f.byName);
            flc->setChecked(on && f.byFlc);
            dept->setChecked(on && f.byDept);
        };
        int matched = 0;
        // Apply and clear alternate: each press changes the filter.
        // Each press changes the filter; the other state is set up untimed.
        measure(
            QStringLiteral("apply %1").arg(QLatin1String(f.name)),
            [&](int) {
                set(true);
                apply->click();
                matched = s.itemView.recordCount();
            },
            [&] {
                set(false);
                apply->click();
                QCoreApplication::processEvents();
            });
        measure(
            QStringLiteral("clear %1").arg(QLatin1String(f.name)),
            [&](int) {
                set(false);
                apply->click();
            },
            [&] {
                set(true);
                apply->click();
                QCoreApplication::processEvents();
            });
        out << "  (" << f.name << " matches "
            << QString::number(100.0 * matched / qMax(1, all), 'f', 1) << " % of " << all
            << " items)" << Qt::endl;
    }
    name->setChecked(false);
    flc->setChecked(false);
    dept->setChecked(false);
    apply->click();

    auto* xrefNext = child<QWidget>(form, "DBNavigator3")->findChild<QPushButton*>("Next");
    measure(QStringLiteral("xref move"), [&](int) { xrefNext->click(); });
    auto* itemGrid = child<QTableView>(form, "ItemGrid");
    itemGrid->setFocus();
    measure(QStringLiteral("item move"), [&](int) { QTest::keyClick(itemGrid, Qt::Key_Down); });
    auto* edit1 = child<QLineEdit>(form, "Edit1");
    auto* edit2 = child<QLineEdit>(form, "Edit2");
    const char* typed[] = {"S", "SE", "SEE", "SEED", "SEED C", "SEED CO"};
    measure(QStringLiteral("position item"),
            [&](int i) { edit1->setText(QString::fromLatin1(typed[i])); });
    measure(QStringLiteral("position dot"),
            [&](int i) { edit2->setText(QString::fromLatin1(typed[i])); });

    // Raw size: rows times record length over the seven tables.
    qint64 raw = 0;
    for (MemoryView* v :
         {&s.itemView, &s.dotView, &s.xrefView, &s.hazardView, &s.flcView, &s.deptView}) {
        qint64 record = 0;
        for (int c = 0; c < v->fieldCount(); ++c) {
            const FieldDef& f = v->field(c);
            record += f.isText() ? f.width : f.type == FieldType::Integer ? 4 : f.width / 2 + 1;
        }
        raw += record * v->table()->rowCount();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    out << "raw size: " << raw / (1024 * 1024) << " MiB" << Qt::endl;
    out << "peak memory: " << usage.ru_maxrss / 1024 << " MiB" << Qt::endl;
    form.close();
    return 0;
}
