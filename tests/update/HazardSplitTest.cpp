#include "update/HazardUpdate.h"

#include <gtest/gtest.h>

using namespace zelvaro;

namespace {

TEST(HazardSplit, ThreeLinesOfSixtyWithTheBreakRule)
{
    const QString sixty = QString(60, 'A');
    const QString a29 = QString(29, 'A');
    const struct {
        const char* name;
        QString text;
        std::array<QString, 3> lines;
    } cases[] = {
        {"empty", "", {"", " ", " "}},
        {"exactly 60", sixty, {sixty, " ", " "}},
        {"break at a blank", a29 + " " + QString(40, 'B'), {a29 + " ", QString(40, 'B'), " "}},
        {"break at a comma keeps the blank after it",
         QString(59, 'A') + ", " + QString(20, 'B'),
         {QString(59, 'A') + ",", " " + QString(20, 'B'), " "}},
        {"the highest blank or comma up to 60 wins",
         a29 + ", " + QString(40, 'B'),
         {a29 + ", ", QString(40, 'B'), " "}},
        {"no blank or comma among 2..60", QString(61, 'X'), {"X", QString(60, 'X'), " "}},
        {"blank only at position 1", " " + QString(70, 'Y'), {" ", "Y", "Y"}},
        {"remainder after line 2 still too long: line 3 cut, rest dropped",
         QString(59, 'A') + " " + QString(59, 'B') + " " + QString(59, 'C') + " " +
             QString(30, 'D'),
         {QString(59, 'A') + " ", QString(59, 'B') + " ", QString(59, 'C') + " "}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HazardUpdate::splitHazardText(c.text), c.lines) << c.name;
}

} // namespace
