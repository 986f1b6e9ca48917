#include "project/frame_list.h"

#include <gtest/gtest.h>

#include <set>

namespace morvel {
namespace {

// Builds a list of n records whose mask numbers are 1..n, so positions can be checked.
FrameList numbered(int n) {
    FrameList list;
    for (int i = 1; i <= n; ++i) list.append().maskNumber = i;
    return list;
}

std::vector<int> numbers(const FrameList& list) {
    std::vector<int> out;
    for (int i = 0; i < list.size(); ++i) out.push_back(list.at(i).maskNumber);
    return out;
}

TEST(FrameList, InsertAndRemoveAtPositionsKeepTheOthersInOrder) {
    FrameList list = numbered(3);
    list.insertAt(0).maskNumber = 0;   // 0 1 2 3
    list.insertAt(2).maskNumber = -1;  // 0 1 -1 2 3
    list.insertAt(5).maskNumber = 4;   // at the end
    EXPECT_EQ(numbers(list), (std::vector<int>{0, 1, -1, 2, 3, 4}));
    list.removeAt(2);
    list.removeAt(0);
    list.removeAt(3);
    EXPECT_EQ(numbers(list), (std::vector<int>{1, 2, 3}));
    std::set<FrameId> ids;
    for (int i = 0; i < list.size(); ++i) ids.insert(list.at(i).id);
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_FALSE(ids.contains(0));
}

TEST(FrameList, AFrameIsFoundByItsIdAfterTheListChanged) {
    FrameList list = numbered(3);
    const FrameRecord* kept = &list.at(1);
    const FrameId id = kept->id;
    list.insertAt(0);  // shifts every record: the hint is out of date
    EXPECT_EQ(list.withId(id, 1), kept);
    EXPECT_EQ(list.indexOfId(id), 2);
    list.removeAt(2);
    EXPECT_EQ(list.withId(id, 2), nullptr);
    EXPECT_EQ(list.indexOfId(id), -1);
    EXPECT_EQ(list.withId(0), nullptr);
    list.clear();
    EXPECT_EQ(list.size(), 0);
}

}  // namespace
}  // namespace morvel
