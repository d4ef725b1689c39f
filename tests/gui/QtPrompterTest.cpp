#include "gui/QtPrompter.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

using namespace zelvaro;

namespace {

QDialog* openTableDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == "TableDialog" && w->isVisible()) return static_cast<QDialog*>(w);
    }
    return nullptr;
}

// The run history's table lets a run be opened: by its button once a row is
// current, or by a double click; closing it opens nothing.
TEST(QtPrompterTable, ARowIsOpenedByTheButtonOrADoubleClickAndOnlyWhenChosen)
{
    QtPrompter prompter;
    const std::vector<QStringList> rows = {{"a", "1"}, {"b", "2"}, {"c", "3"}};
    const struct {
        const char* name;
        std::function<void(QDialog*)> act;
        int expected;
    } cases[] = {
        {"button on the current row",
         [](QDialog* d) {
             auto* open = d->findChild<QPushButton*>("OpenRowButton");
             auto* table = d->findChild<QTableWidget*>("TableView");
             EXPECT_FALSE(open->isEnabled()); // no row chosen yet
             table->setCurrentCell(1, 0);
             EXPECT_TRUE(open->isEnabled());
             open->click();
         },
         1},
        {"double click",
         [](QDialog* d) {
             Q_EMIT d->findChild<QTableWidget*>("TableView")->cellDoubleClicked(2, 1);
         },
         2},
        {"closed", [](QDialog* d) { d->accept(); }, -1},
    };
    for (const auto& c : cases) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            QDialog* dialog = openTableDialog();
            ASSERT_NE(dialog, nullptr);
            seen = true;
            c.act(dialog);
        });
        EXPECT_EQ(prompter.showTable("Run history", {"x", "n"}, rows, "Change report"), c.expected)
            << c.name;
        EXPECT_TRUE(seen) << c.name;
    }
    // Without a caption the table only shows.
    QTimer::singleShot(0, [] {
        QDialog* dialog = openTableDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->findChild<QPushButton*>("OpenRowButton"), nullptr);
        dialog->accept();
    });
    EXPECT_EQ(prompter.showTable("Plan", {"x", "n"}, rows), -1);
}

} // namespace
