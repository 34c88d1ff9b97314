#include "common/qt_text.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(DisplayTextTest, Utf8AsUtf8AndEverythingElseAsWindows1252)
{
    EXPECT_EQ(DisplayText("Caf\xC3\xA9"), QString::fromUtf8("Caf\xC3\xA9"));
    EXPECT_EQ(DisplayText("Caf\xE9 Cr\xE8me"), QString::fromUtf8("Caf\xC3\xA9 Cr\xC3\xA8me"));
    EXPECT_EQ(DisplayText("\x80\x9F\x81"), QString::fromUtf8("\xE2\x82\xAC\xC5\xB8\xC2\x81"));
    // Overlong forms, surrogates and truncated sequences are not UTF-8.
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));
    EXPECT_FALSE(IsValidUtf8("ab\xC3"));
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x8E\xAE"));
    EXPECT_TRUE(IsValidUtf8(std::string("a\0b", 3)));
}

TEST(DisplayTextTest, EveryByteRoundTripsThroughWindows1252)
{
    std::string all;
    for (int c = 0; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    std::string back;
    ASSERT_TRUE(ToWindows1252(FromWindows1252(all), &back));
    EXPECT_EQ(back, all);
    EXPECT_FALSE(ToWindows1252(QString::fromUtf8("\xE2\x98\x83"), &back)); // a snowman
    EXPECT_FALSE(Utf8ToWindows1252("\xE9", &back));                        // not UTF-8
    ASSERT_TRUE(Utf8ToWindows1252(Windows1252ToUtf8(all), &back));
    EXPECT_EQ(back, all);
}

TEST(DisplayTextTest, UnchangedFieldsKeepTheirBytes)
{
    const std::string stored = "%m (Caf\xE9 MOD)";
    EXPECT_EQ(BytesFromEdit(stored, DisplayText(stored)), stored);
    EXPECT_EQ(BytesFromEdit(stored, QString::fromUtf8("%m (Caf\xC3\xA9)")), "%m (Caf\xC3\xA9)");
}

} // namespace
} // namespace qm
