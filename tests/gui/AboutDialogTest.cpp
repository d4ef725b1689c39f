#include "gui/AboutDialog.h"
#include "support/ScriptedPrompter.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

TEST(AboutBox, ShowsVersionCentredAndKeepsTheDesignNameWithoutStrings)
{
    AboutDialog box;
    box.fill(QStringLiteral(ZELVARO_APP_PATH));
    auto* version = box.findChild<QLabel*>("Version");
    auto* product = box.findChild<QLabel*>("ProductName");
    auto* panel = box.findChild<QWidget*>("Panel1");
    EXPECT_EQ(version->text(), "Version " ZELVARO_APP_VERSION);
    EXPECT_EQ(version->x(), (panel->width() - version->width()) / 2);
    EXPECT_EQ(product->x(), (panel->width() - product->width()) / 2);
    box.fill(QCoreApplication::applicationFilePath());
    EXPECT_EQ(version->text(), "Version ");
    EXPECT_EQ(product->text(), "CDMS to Zelvaro Interface");
    EXPECT_EQ(version->x(), (panel->width() - version->width()) / 2);
}

TEST(AboutBox, AnUnreadableExecutableIsReportedAndTheBoxStillShowsModally)
{
    AboutDialog box;
    ScriptedPrompter prompter;
    bool modal = false;
    QTimer::singleShot(0, &box, [&] {
        modal = box.isVisible() && box.isModal();
        box.accept();
    });
    box.showFor("/nonexistent/program", prompter);
    EXPECT_TRUE(modal);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].startsWith("AppInfo\n")) << prompter.shown[0].toStdString();
}

} // namespace
