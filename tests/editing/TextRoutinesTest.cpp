// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "editing/TextRoutines.h"
#include "platform/MessageService.h"

namespace fl {
namespace {

TEST(TextRoutines, NumericTextIsDigitsWithSpacesAllowed)
{
    EXPECT_TRUE(IsNumericText("120"));
    EXPECT_TRUE(IsNumericText(" 1 2 "));
    EXPECT_FALSE(IsNumericText(""));
    EXPECT_FALSE(IsNumericText("   "));
    EXPECT_FALSE(IsNumericText("-5"));
    EXPECT_FALSE(IsNumericText("1.5"));
    EXPECT_FALSE(IsNumericText("12\t"));
}

TEST(TextRoutines, YesTextAndKilobytes)
{
    EXPECT_TRUE(IsYesText("Yes"));
    EXPECT_TRUE(IsYesText("yES"));
    EXPECT_FALSE(IsYesText("Yes "));
    EXPECT_FALSE(IsYesText("Y"));
    EXPECT_FALSE(IsYesText(""));

    EXPECT_EQ(FileSizeKB(0), 1);
    EXPECT_EQ(FileSizeKB(1024), 1);
    EXPECT_EQ(FileSizeKB(1025), 1);
    EXPECT_EQ(FileSizeKB(4095), 3);
    EXPECT_EQ(FileSizeKB(int64_t(5) << 30), int64_t(5) << 20);
}

TEST(IntegerText, LimitsDependOnTheFifteenBitFlag)
{
    EXPECT_EQ(ParseIntegerText("40000", true), std::nullopt);
    EXPECT_EQ(ParseIntegerText("40000", false), 40000);
    EXPECT_EQ(ParseIntegerText("32767", true), 32767);
    EXPECT_EQ(ParseIntegerText("32768", true), std::nullopt);
    EXPECT_EQ(ParseIntegerText("65535", false), 65535);
    EXPECT_EQ(ParseIntegerText("65536", false), std::nullopt);
    EXPECT_EQ(ParseIntegerText(" 1 0 ", false), 10);
    EXPECT_EQ(ParseIntegerText("0000000000000000000000000042", true), 42) << "leading zeros are no overflow";
    EXPECT_EQ(ParseIntegerText("99999999999999999999999", false), std::nullopt);
    EXPECT_EQ(ParseIntegerText("-5", false), std::nullopt);
    EXPECT_EQ(ParseIntegerText("", false), std::nullopt);
}

TEST(IntegerText, InvalidTextIsReportedWithTheText)
{
    TScriptedMessageService messages;
    EXPECT_TRUE(ValidateIntegerEdit(messages, "40000", false));
    EXPECT_TRUE(messages.Requests().empty());

    EXPECT_FALSE(ValidateIntegerEdit(messages, "40000", true));
    EXPECT_FALSE(ValidateIntegerEdit(messages, "-5", false));
    EXPECT_FALSE(ValidateIntegerEdit(messages, "", false));
    ASSERT_EQ(messages.Requests().size(), 3u);
    EXPECT_EQ(messages.Requests()[0].Text, "'40000' is not a valid integer value.");
    EXPECT_EQ(messages.Requests()[0].Kind, TMsgDlgType::mtError);
    EXPECT_EQ(messages.Requests()[1].Text, "'-5' is not a valid integer value.");
    EXPECT_EQ(messages.Requests()[2].Text, "'' is not a valid integer value.");
}

TEST(MessageText, PlaceholdersTakeTheArgumentsInOrderAndLiterally)
{
    EXPECT_EQ(FormatText("Would you like to save changes to %s?", {"a.gif"}), "Would you like to save changes to a.gif?");
    EXPECT_EQ(FormatText("%s: %s, %s", {"x", "Yes", "No"}), "x: Yes, No");
    // A file name holding "%s" is not read as a placeholder.
    EXPECT_EQ(FormatText("Open %s or %s", {"100%s.gif", "b"}), "Open 100%s.gif or b");
    EXPECT_EQ(FormatText("%s and %s", {"one"}), "one and %s");
    EXPECT_EQ(FormatText("none", {"extra"}), "none");
}

} // namespace
} // namespace fl
