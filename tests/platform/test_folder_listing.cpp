#include "platform/FolderListing.h"
#include "tests/platform/ReadEntries.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace sorvex;

namespace {

using sorvex::FolderListing;

// Names of every length and every byte but NUL, alternating kinds.
Entries ManyEntries(int count)
{
    Entries entries;
    for (int i = 0; i < count; ++i) {
        std::string name(static_cast<std::size_t>(1 + i % 40), '\0');
        for (std::size_t k = 0; k < name.size(); ++k)
            name[k] = static_cast<char>(1 + (i * 7 + static_cast<int>(k)) % 255);
        entries.emplace_back(name, i % 3 == 0);
    }
    return entries;
}

TEST(FolderListing, StartsEmptyAndYieldsNothing)
{
    FolderListing listing;
    std::string_view name;
    bool isFolder = false;
    EXPECT_TRUE(listing.Empty());
    EXPECT_FALSE(listing.Next(name, isFolder));
}

TEST(FolderListing, ReturnsEveryEntryInInsertionOrderThenStops)
{
    const Entries added = ManyEntries(5000);
    FolderListing listing;
    for (const auto& [name, isFolder] : added)
        listing.Add(name, isFolder);

    EXPECT_FALSE(listing.Empty());
    EXPECT_EQ(ReadEntries(listing), added);
    std::string_view name;
    bool isFolder = false;
    EXPECT_FALSE(listing.Next(name, isFolder));
}

TEST(FolderListing, ClearStartsOverEvenAfterAPartialRead)
{
    FolderListing listing;
    for (const auto& [name, isFolder] : ManyEntries(100))
        listing.Add(name, isFolder);
    std::string_view name;
    bool isFolder = false;
    ASSERT_TRUE(listing.Next(name, isFolder));

    listing.Clear();
    EXPECT_TRUE(listing.Empty());
    EXPECT_TRUE(ReadEntries(listing).empty());

    listing.Add("after", true);
    listing.Add("clear", false);
    EXPECT_EQ(ReadEntries(listing), (Entries{{"after", true}, {"clear", false}}));
}

TEST(FolderListing, NamesAreDistinctUnlessOneRepeatsOrHoldsASlash)
{
    FolderListing listing;
    EXPECT_TRUE(listing.NamesAreDistinct());
    for (int i = 0; i < 3000; ++i) // each one different, in raw bytes
        listing.Add(std::to_string(i) + std::string(static_cast<std::size_t>(i % 5), '\xff'), i % 2 == 0);
    EXPECT_TRUE(listing.NamesAreDistinct());
    listing.Add("17", false);
    listing.Add("", true);
    listing.Add("..", true);
    EXPECT_TRUE(listing.NamesAreDistinct());
    listing.Add("17", true); // a file and a folder of one name are still one name too many
    EXPECT_FALSE(listing.NamesAreDistinct());

    listing.Clear();
    listing.Add("a/b", false);
    EXPECT_FALSE(listing.NamesAreDistinct());
    listing.Clear();
    listing.Add("", false);
    listing.Add("", true);
    EXPECT_FALSE(listing.NamesAreDistinct());
    listing.Clear();
    listing.Add("x", false);
    listing.Add("y", false);
    EXPECT_TRUE(listing.NamesAreDistinct());
    EXPECT_EQ(ReadEntries(listing), (Entries{{"x", false}, {"y", false}})) << "the check reads nothing away";
}

} // namespace
