// The search of the phonebook and the call log: which rows stay on view.
#include "ListFilter.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

ListData Phonebook() {
    ListData list;
    list.columns = {{"#", 20, Align::Left}, {"Name", 80, Align::Left}, {"Number", 60, Align::Left}};
    const char* rows[][3] = {{"1", "Ann Lee", "555"},
                             {"2", "Bo", "0301234"},
                             {"3", "Carla Diaz", "+4930123"},
                             {"4", "\xC9mile Dupont", "112"}, // Émile, in code page 1252
                             {"5", "Zoe", "31"}};
    for (const auto& r : rows)
        list.rows.push_back({{r[0], r[1], r[2]}, -1});
    return list;
}

TEST(ListFilter, TypedTextKeepsRowsByNameOrNumberWithoutCase) {
    const ListData list = Phonebook();
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"", {0, 1, 2, 3, 4}}, {"a", {0, 2}},     {"A", {0, 2}},
        {"LEE", {0}},          {"n l", {0}}, // a blank is text like any other
        {"30", {1, 2}},                      // by number
        {"3", {1, 2, 4}}, // the "#" column is not searched: row 3 is "3" there only
        {"+49", {2}},          {"\xE9mile", {3}}, // émile finds Émile
        {"\xC9MILE", {3}},     {"xyz", {}},       {"Ann Lee and more", {}},
    };
    for (const auto& [filter, rows] : cases)
        EXPECT_EQ(FilterListRows(list, filter), rows) << filter;
}

TEST(ListFilter, RowsWithMissingTextsAndListsWithoutTheColumnsMatchNothing) {
    ListData list = Phonebook();
    list.rows.push_back({{"6"}, -1}); // no name or number text
    EXPECT_EQ(FilterListRows(list, "a"), (std::vector<int>{0, 2}));
    ListData menu;
    menu.columns = {{"#", 20, Align::Left}, {"Text", 80, Align::Left}};
    menu.rows.push_back({{"1", "Settings"}, -1});
    EXPECT_TRUE(FilterListRows(menu, "set").empty());
    EXPECT_EQ(FilterListRows(menu, ""), std::vector<int>{0});
}

} // namespace
} // namespace orvane
