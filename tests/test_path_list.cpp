// The list of paths a run destroys: order, exact duplicates, memory.
#include "engine/PathList.h"

#include <gtest/gtest.h>

#include <string>

using namespace sorvex;

TEST(PathList, KeepsFirstPlaceOfEachExactPath)
{
    PathList list;
    EXPECT_TRUE(list.Append("/a/b"));
    EXPECT_TRUE(list.Append("/a/", "c"));
    EXPECT_FALSE(list.Append("/a/", "b"));
    EXPECT_FALSE(list.Append("/a/c"));
    EXPECT_TRUE(list.Append("/a/B"));
    EXPECT_TRUE(list.Append("//a/b")) << "bytes differ, so it is another path";
    EXPECT_TRUE(list.Append(std::string("/a/\xff\0x", 6)));
    ASSERT_EQ(list.Count(), 5u);
    EXPECT_EQ(list[0], "/a/b");
    EXPECT_EQ(list[1], "/a/c");
    EXPECT_EQ(list[2], "/a/B");
    EXPECT_EQ(list[4], std::string_view("/a/\xff\0x", 6));
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_TRUE(list.Append("/a/b"));
}

// Paths appended unlooked-up are filed when a look-up first needs them.
TEST(PathList, PathsAppendedWithoutALookUpAreFoundByLaterAppends)
{
    PathList list;
    for (int i = 0; i < 5000; ++i)
        list.AppendNew("/new/", std::to_string(i));
    EXPECT_TRUE(list.Append("/looked-up"));
    list.AppendNew("/", "more");
    EXPECT_FALSE(list.Append("/new/4999"));
    EXPECT_FALSE(list.Append("/new/", "0"));
    EXPECT_FALSE(list.Append("/more"));
    EXPECT_FALSE(list.Append("/looked-up"));
    EXPECT_TRUE(list.Append("/new/5000"));
    ASSERT_EQ(list.Count(), 5003u);
    EXPECT_EQ(list[0], "/new/0");
    EXPECT_EQ(list[5000], "/looked-up");
    EXPECT_EQ(list[5001], "/more");
    EXPECT_EQ(list[5002], "/new/5000");
}

TEST(PathList, ManyPathsAndLongOnesSurviveGrowth)
{
    PathList list;
    const std::string longName(3 << 20, 'x'); // longer than one storage chunk
    for (int i = 0; i < 200000; ++i)
        ASSERT_TRUE(list.Append("/folder/", std::to_string(i)));
    ASSERT_TRUE(list.Append("/", longName));
    for (int i = 0; i < 200000; i += 997)
        ASSERT_FALSE(list.Append("/folder/" + std::to_string(i)));
    EXPECT_EQ(list.Count(), 200001u);
    EXPECT_EQ(list[123456], "/folder/123456");
    EXPECT_EQ(list[200000].size(), longName.size() + 1);
}

TEST(PathList, MillionPathsCostAtMostTwiceTheirBytes)
{
    PathList list;
    std::size_t bytes = 0;
    for (int i = 0; i < 1000000; ++i) {
        const std::string name = "file-number-" + std::to_string(i) + ".dat";
        list.Append("/home/someone/Documents/old-projects/", name);
        bytes += 37 + name.size();
    }
    EXPECT_LE(list.MemoryUsed(), 2 * bytes);
}
