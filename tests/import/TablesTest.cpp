// The importer's tables: the first record per key stays, records stay where they are while a
// table grows, and the image table's search by name follows the table's order of ids.

#include "import/Tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using namespace Plugin;

WideString Wide(const std::string& ascii)
{
    return WideString(ascii.begin(), ascii.end());
}

TEST(Tables, TheFirstRecordPerKeyStaysWhereItIsWhileTheTableGrows)
{
    TextArena arena;
    Keys keys(arena);
    Table<int> table(keys);
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(table.Find(Wide("P1")), nullptr);

    int* first = &table.Insert(Wide("P1"), 1);
    EXPECT_EQ(table.Insert(Wide("P1"), 2), 1) << "a later record of the same key is discarded";
    for (int i = 0; i < 100000; ++i)
        table.Insert(Wide("Q" + std::to_string(i)), i);
    EXPECT_EQ(table.Find(Wide("P1")), first);
    EXPECT_EQ(*table.Find(Wide("Q99999")), 99999);
    EXPECT_EQ(table.Find(Wide("Q100000")), nullptr);

    // A key known to the keys but never inserted has no record.
    const Key other = keys.Add(Wide("R"));
    EXPECT_EQ(table.Find(other), nullptr);
    EXPECT_EQ(keys.Find(Wide("R")), other);
    EXPECT_EQ(keys.Text(other), WideView(Wide("R")));
}

TEST(Tables, AnImageSearchFindsTheFirstRecordInTheOrderOfIdsThenOfAddition)
{
    // Records of the name N under several ids, in the order they are added.
    const struct
    {
        std::vector<const char*> ids;
        std::size_t found; // index of the record the search returns
    } cases[] = {
        {{"B", "A", "A", "C"}, 1},                  // the smallest id, and its first record
        {{"A", "A"}, 0},           {{"a", "B"}, 1}, // code units: upper case before lower case
        {{"AB", "A"}, 1},   // a shorter text before the longer one it begins
        {{"P2", "P10"}, 1}, // texts, not numbers
    };
    for (const auto& c : cases)
    {
        TextArena arena;
        Keys keys(arena);
        ImageTable images(keys, arena);
        std::vector<WideString> paths;
        for (std::size_t i = 0; i < c.ids.size(); ++i)
            paths.push_back(Wide("path" + std::to_string(i)));
        for (std::size_t i = 0; i < c.ids.size(); ++i)
        {
            ImageRecord record;
            record.name = WIDE_TEXT("N");
            record.path = paths[i];
            images.Add(keys.Add(Wide(c.ids[i])), record);
        }
        const ImageRecord* found = images.FindByName(WIDE_TEXT("N"));
        ASSERT_NE(found, nullptr) << c.ids.front();
        EXPECT_EQ(found->path, WideView(paths[c.found])) << c.ids.front() << " ...";
        EXPECT_EQ(images.FindByName(WIDE_TEXT("M")), nullptr);

        // The records of one id come in the order they were added.
        std::vector<WideView> ofFirstId;
        images.ForEachOf(keys.Find(Wide(c.ids.front())),
                         [&](const ImageRecord& image) { ofFirstId.push_back(image.path); });
        std::vector<WideView> expected;
        for (std::size_t i = 0; i < c.ids.size(); ++i)
            if (std::string(c.ids[i]) == c.ids.front())
                expected.push_back(paths[i]);
        EXPECT_EQ(ofFirstId, expected) << c.ids.front();
    }
}

} // namespace
