#include "platform/FolderListing.h"
#include "tests/platform/ReadEntries.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using platform::FolderListing;

// Names of every length and every byte but NUL, alternating kinds.
Entries manyEntries(int count)
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
    EXPECT_TRUE(listing.empty());
    EXPECT_FALSE(listing.next(name, isFolder));
}

TEST(FolderListing, ReturnsEveryEntryInInsertionOrderThenStops)
{
    const Entries added = manyEntries(5000);
    FolderListing listing;
    for (const auto& [name, isFolder] : added)
        listing.add(name, isFolder);

    EXPECT_FALSE(listing.empty());
    EXPECT_EQ(ReadEntries(listing), added);
    std::string_view name;
    bool isFolder = false;
    EXPECT_FALSE(listing.next(name, isFolder));
}

TEST(FolderListing, ClearStartsOverEvenAfterAPartialRead)
{
    FolderListing listing;
    for (const auto& [name, isFolder] : manyEntries(100))
        listing.add(name, isFolder);
    std::string_view name;
    bool isFolder = false;
    ASSERT_TRUE(listing.next(name, isFolder));

    listing.clear();
    EXPECT_TRUE(listing.empty());
    EXPECT_TRUE(ReadEntries(listing).empty());

    listing.add("after", true);
    listing.add("clear", false);
    EXPECT_EQ(ReadEntries(listing), (Entries{{"after", true}, {"clear", false}}));
}

TEST(FolderListing, NamesAreDistinctUnlessOneRepeatsOrHoldsASlash)
{
    FolderListing listing;
    EXPECT_TRUE(listing.namesAreDistinct());
    for (int i = 0; i < 3000; ++i) // each one different, in raw bytes
        listing.add(std::to_string(i) + std::string(static_cast<std::size_t>(i % 5), '\xff'), i % 2 == 0);
    EXPECT_TRUE(listing.namesAreDistinct());
    listing.add("17", false);
    listing.add("", true);
    listing.add("..", true);
    EXPECT_TRUE(listing.namesAreDistinct());
    listing.add("17", true); // a file and a folder of one name are still one name too many
    EXPECT_FALSE(listing.namesAreDistinct());

    listing.clear();
    listing.add("a/b", false);
    EXPECT_FALSE(listing.namesAreDistinct());
    listing.clear();
    listing.add("", false);
    listing.add("", true);
    EXPECT_FALSE(listing.namesAreDistinct());
    listing.clear();
    listing.add("x", false);
    listing.add("y", false);
    EXPECT_TRUE(listing.namesAreDistinct());
    EXPECT_EQ(ReadEntries(listing), (Entries{{"x", false}, {"y", false}})) << "the check reads nothing away";
}

}  // namespace
