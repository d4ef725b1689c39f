#include "support/TestHome.h"
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    zelvaro::test::setUpOdbcForProcess();
    return RUN_ALL_TESTS();
}
