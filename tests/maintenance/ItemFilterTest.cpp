#include "maintenance/ItemFilter.h"
#include "common/Error.h"
#include "host/ResultTable.h"
#include "settings/Settings.h"
#include "support/QtPrinters.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

using namespace zelvaro;

namespace {

// An item table: description (30, blank-padded), department, fine line code.
ResultTable items(const std::vector<std::tuple<QString, int, int>>& rows)
{
    FieldDef desc{"IMDESC", FieldType::Char, 30, 0, true};
    FieldDef dept{"IMDEPT", FieldType::Decimal, 3, 0, false};
    FieldDef flc{"IMFLCD", FieldType::Decimal, 3, 0, false};
    ResultTable t({desc, dept, flc});
    for (const auto& [d, dp, f] : rows) {
        t.appendText(0, d.leftJustified(30, QLatin1Char(' ')));
        t.appendCell(1, dp);
        t.appendCell(2, f);
        t.endRow();
    }
    return t;
}

QList<int> selected(const QString& expression, const ResultTable& t)
{
    const auto p = compileFilter(expression, t);
    QList<int> rows;
    for (int r = 0; r < t.rowCount(); ++r)
        if (!p || p(t, r)) rows << r;
    return rows;
}

TEST(ItemFilter, TheTabBuildsTheExpressionFromItsThreeParts)
{
    const struct {
        FilterChoice choice;
        const char* expression;
    } cases[] = {
        {{}, ""},
        {{true, false, false, "  ", "", ""}, "IMDESC Like '%%'"},
        {{true, false, false, " O'NEIL ", "", ""}, "IMDESC Like '%O''NEIL%'"},
        {{false, true, true, "X", "IMFLCD in (12,15)", "IMDEPT in (3)"},
         "IMFLCD in (12,15) and IMDEPT in (3)"},
        {{true, true, false, "A", "", "IMDEPT in (3)"}, "IMDESC Like '%A%'"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.choice.expression(), c.expression);

    CodeSelection codes("IMFLCD");
    codes.add(12, "TWELVE");
    codes.add(15, "FIFTEEN");
    EXPECT_EQ(codes.expression(), "IMFLCD in (12,15)");
    codes.removeAt(-1); // nothing selected: nothing changes
    codes.removeAt(0);
    EXPECT_EQ(codes.expression(), "IMFLCD in (15)");
    codes.removeAt(0);
    EXPECT_EQ(codes.expression(), "");
}

TEST(ItemFilter, TheEngineSelectsWhatTheExpressionSays)
{
    const ResultTable t = items({{"O'NEIL SPRAYER", 1, 12},
                                 {"BARN AND FENCE PAINT", 2, 15},
                                 {"o'neil lower", 1, 99},
                                 {"100% COTTON (L)", 3, 12},
                                 {"", 2, 15}});
    const struct {
        const char* expression;
        QList<int> rows;
    } cases[] = {
        {"", {0, 1, 2, 3, 4}},
        {"IMDESC Like '%%'", {0, 1, 2, 3, 4}},
        {"IMDESC Like '%O''NEIL%'", {0}}, // letter case counts
        {"IMDESC Like '% AND %'", {1}},   // " and " inside quotes is data
        {"IMDESC Like '%% COTTON (L)%'", {3}},
        {"IMDESC Like 'BARN%PAINT'", {1}}, // trailing blanks of the value do not count
        {"IMFLCD in (12,15)", {0, 1, 3, 4}},
        {"IMDEPT in (2) and IMFLCD in (15)", {1, 4}},
        {"IMDESC Like '%O%' and IMDEPT in (1) and IMFLCD in (12)", {0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(selected(c.expression, t), c.rows) << c.expression;
}

TEST(ItemFilter, AnythingElseIsRefusedNamingWhatWasFound)
{
    const ResultTable t = items({{"A", 1, 1}});
    const struct {
        const char* expression;
        const char* says;
    } cases[] = {
        {"IMDESC = 'A'", "\"Like\" expected"},
        {"IMDESC Like 'A", "unclosed quote"},
        {"IMFLCD in (1,x)", "\"x\" is not a whole number"},
        {"IMFLCD in (1", "unclosed"},
        {"IMDEPT in (99999999999999999999)", "not a whole number"},
        {"IMDESC Like 'A' or IMDEPT in (1)", "\"and\" expected"},
        {"1=1", "is not a filter"},
        {"IMDESC Like 'A' and", "is not a filter"},
    };
    for (const auto& c : cases) {
        try {
            compileFilter(c.expression, t);
            ADD_FAILURE() << c.expression << ": accepted";
        } catch (const Error& e) {
            EXPECT_TRUE(e.text().contains(c.says))
                << c.expression << ": " << e.text().toStdString();
        }
    }
}

TEST(ItemFilter, ADescriptionIsFoundWithinItsOwnRowOnly)
{
    // The whole column is searched at once: a match may not run from one
    // row into the next, nor start inside a character.
    const ResultTable t = items({{QString(29, 'X') + "S", 1, 1},
                                 {"EED AT THE START", 1, 1},
                                 {QString::fromUtf8("\u00c4SEED MIX"), 1, 1},
                                 {"seed lower case", 1, 1},
                                 {QString(26, 'Y') + "SEED", 1, 1},
                                 {QString::fromUtf8("\u5353\u4545"), 1, 1}});
    EXPECT_EQ(selected("IMDESC Like '%SEED%'", t), QList<int>({2, 4}));
    EXPECT_EQ(selected("IMDESC Like '%XS%'", t), QList<int>({0}));
    EXPECT_EQ(selected("IMDESC Like '%EED AT%'", t), QList<int>({1}));
    // Bytes of two characters ("\u5353\u4545" holds the bytes "SSEE") are no "SE".
    EXPECT_EQ(selected("IMDESC Like '%SE%'", t), QList<int>({2, 4}));
}

TEST(ItemFilter, RandomTextsSelectWhatAPlainWildcardSearchSelects)
{
    const QStringList atoms = {"'",      "%", " and ", "(", ")", "\u00c4",
                               "\u00e9", " ", "A",     "B", "''"};
    std::mt19937 rng(99);
    auto randomText = [&](int maxAtoms) {
        QString s;
        const int n = int(rng() % maxAtoms);
        for (int k = 0; k < n; ++k)
            s += atoms[rng() % atoms.size()];
        return s;
    };
    std::vector<std::tuple<QString, int, int>> rows;
    for (int r = 0; r < 60; ++r)
        rows.emplace_back(randomText(8).left(30), 1, 1);
    const ResultTable t = items(rows);
    for (int round = 0; round < 400; ++round) {
        FilterChoice c;
        c.byName = true;
        c.name = randomText(5);
        const QString needle = c.name.trimmed();
        // The reference: every % is a wildcard, everything else itself.
        QString rx;
        for (const QChar ch : QString('%' + needle + '%'))
            rx += ch == QLatin1Char('%') ? QStringLiteral(".*")
                                         : QRegularExpression::escape(QString(ch));
        const QRegularExpression re(QRegularExpression::anchoredPattern(rx),
                                    QRegularExpression::DotMatchesEverythingOption);
        QList<int> expected;
        for (int r = 0; r < t.rowCount(); ++r) {
            QString v = t.text(r, 0);
            while (v.endsWith(QLatin1Char(' ')))
                v.chop(1);
            if (re.match(v).hasMatch()) expected << r;
        }
        ASSERT_EQ(selected(c.expression(), t), expected) << c.expression().toStdString();
    }
}

TEST(ItemFilter, SavedCodesAreReadBackOrNotGuessedAt)
{
    const struct {
        QString text;
        std::optional<QList<qint64>> codes;
    } cases[] = {
        {"", QList<qint64>{}},
        {"IMFLCD in (12,15)", QList<qint64>{12, 15}},
        {"IMDEPT in ( 3 , 4 )  ", QList<qint64>{3, 4}},
        {"(7,7)", QList<qint64>{7, 7}},
        {"IMFLCD in (12,x)", std::nullopt},
        {"IMFLCD in (12", std::nullopt},
        {"IMFLCD in (12) or 1", std::nullopt},
        {"IMFLCD in (99999999999999999999)", std::nullopt},
        {QString(2000, 'X'), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseSavedCodes(c.text), c.codes) << c.text.left(40).toStdString();

    QTemporaryDir dir;
    const Settings s(dir.filePath("INVSIG.INI"));
    FilterChoice saved{true, false, true, "O'NEIL", "IMFLCD in (12)", "IMDEPT in (3)"};
    saved.write(s);
    const FilterChoice back = FilterChoice::read(s);
    EXPECT_EQ(back.expression(), saved.expression());
    EXPECT_EQ(back.fineLines, "IMFLCD in (12)");
}

} // namespace
