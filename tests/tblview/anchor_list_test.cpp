#include "tblview/anchor_list.h"

#include <gtest/gtest.h>

using namespace gridlens;

namespace {

std::string cleaned(std::string_view raw)
{
    AnchorList anchors;
    anchors.AddAnchor(raw, Entry);
    return anchors.name(0);
}

} // namespace

TEST(AnchorList, CleaningRunsItsStepsInOrder)
{
    EXPECT_EQ(cleaned(" \"Laser\"   ; the laser\r"), "Laser\"   ");
    EXPECT_EQ(cleaned("##\x07\x07\t\t  \"\"Name\"\"\r\r"), "Name");
    // Each leading run is removed once, in order: a '#' behind a TAB stays.
    EXPECT_EQ(cleaned("\t#x"), "#x");
    EXPECT_EQ(cleaned(" \tx"), " x"); // TABs were due before blanks
    // Quotes go before the comment cut, TABs after it.
    EXPECT_EQ(cleaned("a\"//b"), "a\"");
    EXPECT_EQ(cleaned("a//b;c"), "a//b");
    EXPECT_EQ(cleaned("x\t\t;c\r"), "x");
    EXPECT_EQ(cleaned("a\tb  "), "a b  ");
    EXPECT_EQ(cleaned("\"\r"), "");
}

TEST(AnchorList, CapacityDropsFurtherAnchorsAndResetReusesSlots)
{
    AnchorList anchors;
    for (int32_t i = 0; i < AnchorList::kCapacity; ++i)
        anchors.AddAnchor(std::to_string(i), i % 2 ? Entry : Section);
    anchors.AddAnchor("dropped", Entry);
    EXPECT_EQ(anchors.count(), AnchorList::kCapacity);
    EXPECT_TRUE(anchors.isFull());
    EXPECT_EQ(anchors.name(AnchorList::kCapacity - 1), "16383");
    EXPECT_EQ(anchors.kind(AnchorList::kCapacity - 1), Entry);
    // Out-of-range reads are harmless.
    EXPECT_EQ(anchors.name(AnchorList::kCapacity), "");
    EXPECT_EQ(anchors.name(-1), "");

    anchors.reset();
    EXPECT_EQ(anchors.count(), 0);
    EXPECT_EQ(anchors.name(0), "");
    anchors.AddAnchor("#again", Section);
    EXPECT_EQ(anchors.count(), 1);
    EXPECT_EQ(anchors.name(0), "again");
}

TEST(AnchorList, EscapedBracketsAreNotCommentCuts)
{
    EXPECT_EQ(cleaned("&lt;Weapons&gt; ;note"), "&lt;Weapons&gt; ");
    EXPECT_EQ(cleaned("a&lt;b&gt;//c"), "a&lt;b&gt;");
    EXPECT_EQ(cleaned("x&amp;y;z"), "x&amp"); // only the two escapes the converter makes
    EXPECT_EQ(cleaned("lt;x"), "lt");
}
