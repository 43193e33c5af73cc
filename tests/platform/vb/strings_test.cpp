#include "platform/vb/strings.h"
#include "platform/vb/vberror.h"

#include <gtest/gtest.h>

namespace {

TEST(StringsTest, SlicesAreOneBased) {
    EXPECT_EQ(vb::Left("abcdef", 2), QStringLiteral("ab"));
    EXPECT_EQ(vb::Left("ab", 5), QStringLiteral("ab"));
    EXPECT_EQ(vb::Right("abcdef", 2), QStringLiteral("ef"));
    EXPECT_EQ(vb::Mid("abcdef", 2, 3), QStringLiteral("bcd"));
    EXPECT_EQ(vb::Mid("abcdef", 4), QStringLiteral("def"));
    EXPECT_EQ(vb::Mid("abc", 10), QString());
    EXPECT_THROW(vb::Mid("abc", 0), vb::VbError);
    EXPECT_THROW(vb::Left("abc", -1), vb::VbError);
}

TEST(StringsTest, InStrFindsOneBasedPositions) {
    EXPECT_EQ(vb::InStr("abcabc", "c"), 3);
    EXPECT_EQ(vb::InStr(4, "abcabc", "c"), 6);
    EXPECT_EQ(vb::InStr("abc", "x"), 0);
    EXPECT_EQ(vb::InStr("abc", ""), 1);
    EXPECT_EQ(vb::InStr("ABC", "b", vb::Compare::Text), 2);
    EXPECT_EQ(vb::InStr("ABC", "b"), 0);
    EXPECT_EQ(vb::InStrRev("a\\b\\c", "\\"), 4);
    EXPECT_EQ(vb::InStrRev("a\\b\\c", "\\", 3), 2);
    EXPECT_EQ(vb::InStrRev("abc", "x"), 0);
}

TEST(StringsTest, TrimRemovesBlanksOnly) {
    EXPECT_EQ(vb::Trim("  a b  "), QStringLiteral("a b"));
    EXPECT_EQ(vb::LTrim("  a "), QStringLiteral("a "));
    EXPECT_EQ(vb::RTrim(" a  "), QStringLiteral(" a"));
    EXPECT_EQ(vb::Trim("\ta\t"), QStringLiteral("\ta\t"));
}

TEST(StringsTest, CompareReplaceAndBuilders) {
    EXPECT_EQ(vb::StrComp("abc", "ABC"), 1);
    EXPECT_EQ(vb::StrComp("abc", "ABC", vb::Compare::Text), 0);
    EXPECT_EQ(vb::StrComp("a", "b"), -1);
    EXPECT_EQ(vb::Replace("a@Admin_b @ADMIN_c", "@admin_", "", 1, -1, vb::Compare::Text),
              QStringLiteral("ab c"));
    EXPECT_EQ(vb::Replace("aaaa", "a", "b", 1, 2), QStringLiteral("bbaa"));
    EXPECT_EQ(vb::Replace("xaxa", "a", "b", 2), QStringLiteral("bxb"));
    EXPECT_EQ(vb::Space(3), QStringLiteral("   "));
    EXPECT_EQ(vb::String(3, u'0'), QStringLiteral("000"));
    EXPECT_EQ(vb::UCase("ñandú"), QStringLiteral("ÑANDÚ"));
    EXPECT_TRUE(vb::Holds("select * from X", "FROM"));
    EXPECT_TRUE(vb::IsOneOf("cbfp", {"CB", "CBFP"}));
    EXPECT_FALSE(vb::IsOneOf("CB ", {"CB", "CBFP"}));
}

}  // namespace
