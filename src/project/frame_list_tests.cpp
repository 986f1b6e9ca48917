#include "project/frame_list.h"

#include <gtest/gtest.h>

namespace morvel {
namespace {

// Builds a list of n records whose mask numbers are 1..n, so positions can be checked.
FrameList numbered(int n) {
    FrameList list;
    for (int i = 1; i <= n; ++i) list.add().maskNumber = i;
    return list;
}

int currentNumber(FrameList& list) {
    return list.current() ? list.current()->maskNumber : 0;
}

TEST(FrameList, NextWalksFromResetAndStopsOnTheLast) {
    FrameList list = numbered(3);
    list.reset();
    EXPECT_EQ(list.index(), -1);
    EXPECT_EQ(list.next()->maskNumber, 1);
    EXPECT_EQ(list.next()->maskNumber, 2);
    EXPECT_EQ(list.next()->maskNumber, 3);
    EXPECT_EQ(list.next(), nullptr);
    EXPECT_EQ(list.index(), 2);
    FrameList none;
    EXPECT_EQ(none.next(), nullptr);
    EXPECT_EQ(none.index(), -1);
}

TEST(FrameList, AddGoesAfterTheCurrentAndInsertBefore) {
    FrameList list;
    list.add().maskNumber = 1;     // 1
    list.add().maskNumber = 3;     // 1 3
    list.insert().maskNumber = 2;  // 1 2 3, current 2
    EXPECT_EQ(list.index(), 1);
    list.reset();
    list.add().maskNumber = 0;  // no current: at the front
    list.reset();
    list.insert().maskNumber = -1;
    ASSERT_EQ(list.size(), 5);
    const int expected[] = {-1, 0, 1, 2, 3};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(list.at(i).maskNumber, expected[i]);
}

TEST(FrameList, SelectFirstLastAndOutsideIndices) {
    FrameList list = numbered(4);
    list.selectIndex(2);
    EXPECT_EQ(currentNumber(list), 3);
    list.selectIndex(4);
    EXPECT_EQ(list.index(), -1);
    list.selectIndex(-1);
    EXPECT_EQ(list.current(), nullptr);
    list.first();
    EXPECT_EQ(currentNumber(list), 1);
    list.last();
    EXPECT_EQ(currentNumber(list), 4);
    FrameList none;
    none.first();
    EXPECT_EQ(none.index(), -1);
    none.last();
    EXPECT_EQ(none.index(), -1);
}

TEST(FrameList, RemoveMakesThePreviousCurrentOrTheFollowingAfterTheFirst) {
    FrameList list = numbered(4);
    list.selectIndex(2);
    list.remove();  // 1 2 4, previous (2) current
    EXPECT_EQ(currentNumber(list), 2);
    list.first();
    list.remove();  // 2 4, following (2) current at index 0
    EXPECT_EQ(list.index(), 0);
    EXPECT_EQ(currentNumber(list), 2);
    list.reset();
    list.remove();  // no current: nothing happens
    EXPECT_EQ(list.size(), 2);
    list.last();
    list.remove();
    list.remove();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.index(), -1);
}

TEST(FrameList, AFrameIsFoundByItsIdAfterTheListChanged) {
    FrameList list = numbered(3);
    list.selectIndex(1);
    const FrameRecord* kept = list.current();
    const FrameId id = kept->id;
    list.first();
    list.insert();  // shifts every record: the hint is out of date
    EXPECT_EQ(list.withId(id, 1), kept);
    list.last();
    list.selectId(id);
    EXPECT_EQ(list.index(), 2);
    list.remove();
    EXPECT_EQ(list.withId(id, 2), nullptr);
    list.selectId(id);  // gone
    EXPECT_EQ(list.index(), -1);
    list.clear();
    EXPECT_EQ(list.size(), 0);
    EXPECT_EQ(list.index(), -1);
}

}  // namespace
}  // namespace morvel
