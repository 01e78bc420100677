// The shared plan of two-line list rows: which columns move where, the room a cell needs,
// and the order in which a list tries one line, two lines and smaller fonts.
#include "TwoLinePlan.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

const std::vector<std::string> kCallLog{"Type", "Name", "Number", "Date", "Time", "Duration"};

TEST(TwoLinePlan, CallLogPutsNumberUnderNameAndTimeAndDurationUnderDate) {
    const TwoLinePlan plan = TwoLinePlan::ForHeadings(kCallLog);
    ASSERT_FALSE(plan.Empty());
    struct Case {
        int column;
        bool movedAway;
        std::vector<std::pair<int, int>> parts; // (column, line) drawn in this column's cell
    } cases[] = {
        {0, false, {}}, {1, false, {{1, 0}, {2, 1}}},
        {2, true, {}},  {3, false, {{3, 0}, {4, 1}, {5, 1}}},
        {4, true, {}},  {5, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kCallLog[static_cast<std::size_t>(c.column)]);
        EXPECT_EQ(plan.MovedAway(c.column), c.movedAway);
        std::vector<std::pair<int, int>> parts;
        for (const TwoLinePlan::Place& p : plan.PartsOf(c.column))
            parts.emplace_back(p.column, p.line);
        EXPECT_EQ(parts, c.parts);
    }
    // The duration stands at the right end of the date's lower line, after the time.
    const auto dateParts = plan.PartsOf(3);
    EXPECT_FALSE(dateParts[1].right);
    EXPECT_TRUE(dateParts[2].right);
}

TEST(TwoLinePlan, OnlyAListWithAllFiveColumnsHasAPlan) {
    const std::vector<std::vector<std::string>> withoutPlan{
        {},
        {"Name", "Number"},
        {"ID", "Name", "Address"},                      // the device list
        {"Name", "Number", "Date", "Time"},             // no duration
        {"name", "Number", "Date", "Time", "Duration"}, // headings compare exactly
        {"Name ", "Number", "Date", "Time", "Duration"},
    };
    for (const auto& headings : withoutPlan)
        EXPECT_TRUE(TwoLinePlan::ForHeadings(headings).Empty()) << headings.size();
    // Order and other columns do not matter.
    const TwoLinePlan reordered =
        TwoLinePlan::ForHeadings({"Duration", "Time", "Date", "Number", "Name", "Extra"});
    EXPECT_TRUE(reordered.MovedAway(0));
    EXPECT_TRUE(reordered.MovedAway(3));
    EXPECT_FALSE(reordered.MovedAway(4));
    EXPECT_FALSE(reordered.MovedAway(5));
}

TEST(TwoLinePlan, CellWidthIsItsWidestLineWithGapsBetweenParts) {
    const TwoLinePlan plan = TwoLinePlan::ForHeadings(kCallLog);
    struct Case {
        int column;
        std::vector<int> widths;
        int expected;
    } cases[] = {
        {1, {50, 80}, 80}, // number longer than name
        {1, {90, 80}, 90},
        {3, {60, 40, 30}, 40 + kTwoLinePartGap + 30}, // time and duration share a line
        {3, {100, 40, 30}, 100},
        {3, {}, kTwoLinePartGap}, // widths missing count as none
        {0, {70}, 0},             // a column without parts
    };
    for (const Case& c : cases)
        EXPECT_EQ(TwoLineWidth(plan.PartsOf(c.column), c.widths), c.expected) << c.column;
}

TEST(FitList, TriesOneLineThenTwoThenSmallerFontsUntilOneFits) {
    struct Case {
        const char* what;
        std::vector<std::string> headings;
        int fitsAtTries; // the try that fits; 0 never
        std::vector<std::string> expectedTries;
        std::string chosen;
    } cases[] = {
        {"fits on one line", kCallLog, 1, {"1/0"}, "1/0"},
        {"fits in two lines", kCallLog, 2, {"1/0", "2/0"}, "2/0"},
        {"fits two pixels smaller", kCallLog, 4, {"1/0", "2/0", "2/19", "2/18"}, "2/18"},
        {"never fits: the smallest",
         kCallLog,
         0,
         {"1/0", "2/0", "2/19", "2/18", "2/17", "2/16"},
         "2/16"},
        {"no plan: one line whatever the room", {"ID", "Name", "Address"}, 0, {"1/0"}, "1/0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> tries;
        auto name = [](const ListFit& fit) {
            return std::string(fit.plan.Empty() ? "1/" : "2/") + std::to_string(fit.cellHeight);
        };
        const ListFit chosen = FitList(c.headings, 20, [&](const ListFit& fit) {
            tries.push_back(name(fit));
            return static_cast<int>(tries.size()) == c.fitsAtTries;
        });
        EXPECT_EQ(tries, c.expectedTries);
        EXPECT_EQ(name(chosen), c.chosen);
    }
}

TEST(FitList, DescribedFontAtTheSmallestSizeIsNeverSteppedBelowIt) {
    std::vector<int> heights;
    FitList(kCallLog, kSmallestListCell, [&](const ListFit& fit) {
        heights.push_back(fit.cellHeight);
        return false;
    });
    EXPECT_EQ(heights, (std::vector<int>{0, 0}));
}

// How a list's width is shared: the needs, the room, the least widths an "ID" and a "Name"
// column keep; what each column gets and the total drawn.
TEST(ShareListRoom, IdGivesFirstThenNameDownToTheirFloorsAndNameTakesTheRest) {
    const std::vector<std::string> devices{"ID", "Name", "Address", "Type"};
    const std::vector<std::string> phonebook{"Name", "Number"};
    struct Case {
        const char* what;
        std::vector<std::string> headings;
        std::vector<int> want;
        int room;
        std::vector<int> shared;
        int total;
    } cases[] = {
        {"fits exactly", devices, {40, 100, 90, 50}, 280, {40, 100, 90, 50}, 280},
        {"room left: the name takes it", devices, {40, 100, 90, 50}, 300, {40, 120, 90, 50}, 300},
        {"ID gives first", devices, {60, 100, 90, 50}, 280, {40, 100, 90, 50}, 280},
        {"ID down to its floor, then the name",
         devices,
         {60, 100, 90, 50},
         250,
         {30, 80, 90, 50},
         250},
        {"both at their floors: the rest stays wider than the room",
         devices,
         {60, 100, 90, 50},
         150,
         {30, 35, 90, 50},
         205},
        {"a floor above the need gives nothing",
         devices,
         {20, 30, 90, 50},
         100,
         {20, 30, 90, 50},
         190},
        {"no ID column: the name alone gives", phonebook, {200, 120}, 250, {130, 120}, 250},
        {"no ID or Name column: nothing is cut or widened",
         {"Number", "Date"},
         {120, 90},
         150,
         {120, 90},
         210},
        {"no Name column: nothing takes the rest", {"ID", "Number"}, {40, 90}, 300, {40, 90}, 130},
        {"needs shorter than the headings cover nothing past them",
         devices,
         {40, 100},
         300,
         {40, 260},
         300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int> want = c.want;
        const int total = ShareListRoom(c.headings, want, c.room, [](int column) {
            return column == 0 ? 30 : 35; // the ID's floor, the name's
        });
        EXPECT_EQ(want, c.shared);
        EXPECT_EQ(total, c.total);
    }
}

} // namespace
} // namespace orvane
