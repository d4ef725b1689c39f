#include "common/Text.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace zelvaro;

namespace {

TEST(Text, PadToWidthPadsOrCutsAtTheEnd)
{
    const struct {
        const char* text;
        int width;
        const char* expected;
    } cases[] = {{"", 3, "   "},
                 {"ABCDE", 3, "ABC"},
                 {"ABC", 3, "ABC"},
                 {"  A", 5, "  A  "},
                 {" AB", 2, " A"}};
    for (const auto& c : cases)
        EXPECT_EQ(padToWidth(c.text, c.width), c.expected) << c.text << "/" << c.width;
}

TEST(Text, MessagesShowControlCharactersEscaped)
{
    const struct {
        QString text;
        const char* shown;
    } cases[] = {{"P1", "P1"},
                 {QString("A\x01"
                          "B"),
                  "A\\x01B"},
                 {"\r\n\t", "\\x0d\\x0a\\x09"},
                 {QString(QChar(0x85)) + "\u00e9", "\\x85\u00e9"}};
    for (const auto& c : cases)
        EXPECT_EQ(printable(c.text), QString::fromUtf8(c.shown)) << c.shown;
    EXPECT_EQ(quotedForMessage("O'B\x1b"), "'O''B\\x1b'");
}

TEST(Text, QuotingTrimmingAndBlankPaddedComparison)
{
    EXPECT_EQ(sqlQuote("O'NEIL''S"), "'O''NEIL''''S'");
    EXPECT_EQ(qualifiedName("CO01DATA", "U4ITMMR"), "\"CO01DATA\".\"U4ITMMR\"");
    EXPECT_EQ(trimmed("\t A B \r\n"), "A B");
    EXPECT_EQ(rtrimBlanks("  A B  "), "  A B");
    EXPECT_EQ(upperAscii(QString::fromUtf8("abcz\u00e9")), QString::fromUtf8("ABCZ\u00e9"));
    const struct {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"AB", "AB   ", 0}, {"AB", "ABC", -1}, {"AB ", "AB\t", 1}, {"", " ", 0}, {"B", "A  ", 1}};
    for (const auto& c : cases) {
        const int r = compareBlankPadded(QString::fromUtf8(c.a), QString::fromUtf8(c.b));
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << "|" << c.b;
    }
}

} // namespace
