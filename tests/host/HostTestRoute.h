#pragma once

#include "host/HostConnection.h"
#include "support/TestHome.h"

#include <QDir>
#include <gtest/gtest.h>
#include <memory>

namespace zelvaro::test {

// Runs host tests on both routes to the embedded host: Qt's SQLite driver,
// and QODBC through unixODBC with the SQLite ODBC driver.
enum class Route { Embedded, Odbc };

inline std::string routeName(const ::testing::TestParamInfo<Route>& info)
{
    return info.param == Route::Embedded ? "Embedded" : "Odbc";
}

class RouteTest : public ::testing::TestWithParam<Route> {
protected:
    void SetUp() override
    {
        if (GetParam() == Route::Odbc) {
            if (odbcTestHome().isEmpty()) GTEST_SKIP() << "SQLite ODBC driver not installed";
            m_home = std::make_unique<TestHome>(odbcTestHome());
        } else {
            m_home = std::make_unique<TestHome>();
        }
        m_library = m_home->createLibrary(QStringLiteral("TESTSYS"), QStringLiteral("CO01DATA"));
        if (GetParam() == Route::Odbc) {
            m_driver = std::make_unique<ScopedEnv>("ZELVARO_HOST_DRIVER", QStringLiteral("odbc"));
        } else {
            m_driver =
                std::make_unique<ScopedEnv>("ZELVARO_HOST_DRIVER", QStringLiteral("embedded"));
        }
    }
    void connect(HostConnection& c)
    {
        c.setHostSystem(QStringLiteral("TESTSYS"));
        c.setLibrary(QStringLiteral("CO01DATA"));
        c.connect();
    }

    std::unique_ptr<TestHome> m_home;
    QString m_library;
    std::unique_ptr<ScopedEnv> m_driver;
};

} // namespace zelvaro::test
