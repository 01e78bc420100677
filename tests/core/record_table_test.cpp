// The fixed tables behind the phonebook, the call log and the private contacts: storage
// is made only where a record is written, and reading never makes any.
#include "RecordTable.h"

#include <gtest/gtest.h>

#include <string>

namespace orvane {
namespace {

struct Record {
    std::string text;
    int number = 0;
};

using Table = RecordTable<Record, 300>; // five blocks, the last one short

TEST(RecordTable, ReadingNeverMakesStorageAndShowsEmptyRecords) {
    const Table table;
    for (std::size_t i : {0u, 63u, 64u, 255u, 256u, 299u}) {
        EXPECT_EQ(table.read(i).text, "") << i;
        EXPECT_EQ(table.read(i).number, 0) << i;
    }
    EXPECT_FALSE(table.allocated());
}

TEST(RecordTable, WrittenRecordsReadBackAndTheirNeighboursStayEmpty) {
    const std::size_t written[] = {0, 63, 64, 128, 255, 299}; // both edges of blocks
    Table table;
    for (std::size_t i : written)
        table.write(i) = {"record " + std::to_string(i), static_cast<int>(i) + 1};
    EXPECT_TRUE(table.allocated());
    for (std::size_t i : written) {
        EXPECT_EQ(table.read(i).text, "record " + std::to_string(i)) << i;
        EXPECT_EQ(table.read(i).number, static_cast<int>(i) + 1) << i;
    }
    for (std::size_t i : {1u, 62u, 65u, 127u, 129u, 254u, 298u}) {
        EXPECT_EQ(table.read(i).text, "") << i;
        EXPECT_EQ(table.read(i).number, 0) << i;
    }
}

TEST(RecordTable, AWrittenRecordStaysPutWhileOtherBlocksAreMade) {
    Table table;
    Record& first = table.write(5);
    for (std::size_t i = 64; i < table.size(); i += 64)
        table.write(i).text = "later";
    first.text = "kept";
    EXPECT_EQ(table.read(5).text, "kept");
    EXPECT_EQ(table.read(64).text, "later");
}

} // namespace
} // namespace orvane
