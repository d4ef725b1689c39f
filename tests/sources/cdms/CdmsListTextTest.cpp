#include "sources/cdms/CdmsListText.h"

#include <gtest/gtest.h>
#include <random>
#include <utility>

using namespace zelvaro;

namespace {

QStringList split(const QString& text)
{
    QStringList lines;
    splitListText(text, lines);
    return lines;
}

TEST(CdmsListText, SplitsAtGreaterThanAndLineBreaksOutsideQuotedRuns)
{
    EXPECT_EQ(split("<list>\r\n<row Product=\"A>B\" EPA=\"1\"/>\n<row Product=\"C\r\nD\"/></list>"),
              QStringList({"<list", "<row Product=\"A>B\" EPA=\"1\"/", "<row Product=\"C\r\nD\"/",
                           "</list"}));
    // A literal apostrophe opens a run: the '>' before the next one does not split.
    EXPECT_EQ(split("<row Product=\"A\" it's>x'/><row Product=\"O'B\"/>"),
              QStringList({"<row Product=\"A\" it's>x'/", "<row Product=\"O'B\"/"}));
    // Unbalanced quotes run to the end; nothing is lost or read past the end.
    EXPECT_EQ(split("<row Product=\"open>\n"), QStringList({"<row Product=\"open>\n"}));
    EXPECT_TRUE(split("\r\n>>\n").isEmpty());
}

TEST(CdmsListText, EntitiesAreReplacedInOrderFirstOccurrenceFirst)
{
    EXPECT_EQ(replaceListEntities("O&apos;NEIL &amp; SONS"), "O'NEIL & SONS");
    EXPECT_EQ(replaceListEntities("A&amp;apos;B"), "A&apos;B"); // apostrophes go first
    EXPECT_EQ(replaceListEntities("A&amp;amp;B"), "A&B");       // the search restarts
    EXPECT_EQ(replaceListEntities("L1\r\nL2"), "L1  L2");
}

// The rule as written: the first occurrence, again and again.
QString replaceSlowly(QString s)
{
    for (const auto& [pattern, by] : {std::pair{QStringLiteral("&apos;"), QStringLiteral("'")},
                                      std::pair{QStringLiteral("&amp;"), QStringLiteral("&")}}) {
        for (qsizetype at = s.indexOf(pattern); at >= 0; at = s.indexOf(pattern))
            s.replace(at, pattern.size(), by);
    }
    s.replace('\n', ' ');
    s.replace('\r', ' ');
    return s;
}

TEST(CdmsListText, EntityReplacementIsOnePassWithTheRulesResult)
{
    // Random texts from the letters the entities are made of.
    const char alphabet[] = "&amp;os'\nx";
    std::mt19937 rng(7);
    for (int i = 0; i < 20000; ++i) {
        QString text;
        const int length = int(rng() % 24);
        for (int k = 0; k < length; ++k)
            text += QLatin1Char(alphabet[rng() % (sizeof alphabet - 1)]);
        ASSERT_EQ(replaceListEntities(text), replaceSlowly(text)) << text.toStdString();
    }
    // A million nested escapes end as one ampersand (once quadratic).
    EXPECT_EQ(replaceListEntities("&" + QString("amp;").repeated(1000000)), "&");
    const QString stray = "O'NEIL " + QString("&apos;x").repeated(200000);
    EXPECT_EQ(replaceListEntities(stray).size(), 7 + 400000);
}

TEST(CdmsListText, AttributeValuesByTheKeyRule)
{
    const QString line = "<row Product=\"GLENTRIX & CO\" EPA=\"524-549\" Manufacturer=\"Harrow";
    EXPECT_EQ(listAttribute(line, "Product"), "GLENTRIX & CO");
    EXPECT_EQ(listAttribute(line, "EPA"), "524-549");
    EXPECT_EQ(listAttribute(line, "Manufacturer"), "Harrow"); // no closing quote: to the end
    EXPECT_EQ(listAttribute("<rows/", "Product"), "");
    EXPECT_EQ(listAttribute("<row Product=\"A\"", "EPA"), "");
}

TEST(CdmsListText, ValuesDecodeTheOtherReferencesAfterTheyAreCutOut)
{
    const struct {
        const char* name;
        const char* line; // as replaceListEntities leaves it
        const char* product;
        const char* maker;
    } cases[] = {
        {"quote, less and greater than",
         "<row Product=\"SPRAYMAX 2.5&quot; NOZZLE\" Manufacturer=\"Bio &quot;Green&quot; "
         "&lt;Co&gt;\"",
         "SPRAYMAX 2.5\" NOZZLE", "Bio \"Green\" <Co>"},
        {"numeric, decimal and hexadecimal", "<row Product=\"A&#34;B&#x3C;C&#X3e;\u00e9&#233;\"",
         "A\"B<C>\u00e9\u00e9", ""},
        {"a numeric line break is a blank", "<row Product=\"L1&#10;L2&#13;\"", "L1 L2 ", ""},
        {"no character named: left as written",
         "<row Product=\"&#0;&#xD800;&#1114112;&#1;&bogus;&#;&#x;& lt;&lt\"",
         "&#0;&#xD800;&#1114112;&#1;&bogus;&#;&#x;& lt;&lt", ""},
        {"decoded once: a reference spelled by decoding stays", "<row Product=\"&#38;lt;\"", "&lt;",
         ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(listAttribute(QString::fromUtf8(c.line), "Product"), QString::fromUtf8(c.product))
            << c.name;
        EXPECT_EQ(listAttribute(QString::fromUtf8(c.line), "Manufacturer"),
                  QString::fromUtf8(c.maker))
            << c.name;
    }
    // After the line rule: "&amp;apos;" still ends as "&apos;".
    EXPECT_EQ(listAttribute(replaceListEntities("<row Product=\"A&amp;apos;B\""), "Product"),
              "A&apos;B");
}

TEST(CdmsListText, LargeTextsSplitInLinearTime)
{
    QString text;
    for (int i = 0; i < 200000; ++i)
        text += "<row Product=\"P" + QString::number(i) + "\" EPA=\"1\"/>\n";
    QStringList lines;
    splitListText(text, lines);
    EXPECT_EQ(lines.size(), 200000);
    EXPECT_EQ(replaceListEntities(QString(100000, 'x') + QString("&amp;").repeated(20000)).size(),
              100000 + 20000);
}

} // namespace
