// Variant's typed access and the UTF-8 / UTF-16 conversions every back end uses.
#include "interfaces/ComObject.h"

#include "support/OleError.h"

#include <gtest/gtest.h>

TEST(Variant, TypedAccessOfTheWrongKindIsATypeMismatch) {
    EXPECT_EQ(Variant(u"x").asText(), u"x");
    EXPECT_EQ(Variant(2).asNumber(), 2.0);
    EXPECT_EQ(OleErrorCode([] { Variant(u"x").asNumber(); }), hresult::kTypeMismatch);
    EXPECT_EQ(OleErrorCode([] { Variant().asArray(); }), hresult::kTypeMismatch);
}

TEST(Utf, RoundTripsAndReplacesWhatCannotBeConverted) {
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(u"张伟 😀 a")), u"张伟 😀 a");
    EXPECT_EQ(Utf8ToUtf16("\xff\xfe"), u"\uFFFD\uFFFD");
    // Overlong forms hide a line feed, a slash and a letter: never read as those characters.
    EXPECT_EQ(Utf8ToUtf16("a\xC0\x8A"
                          "b"),
              u"a\uFFFD\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xE0\x80\xAF"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x80\x81\x81"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80"), u"\u0080\u0800\U00010000")
        << "the least of each length";
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD") << "a lone surrogate";
    // Runs of ASCII taken eight at a time, broken at every place by other characters.
    const std::pair<std::u16string, std::string> others[] = {
        {u"\u00e9", "\xC3\xA9"}, {u"张", "\xE5\xBC\xA0"}, {u"😀", "\xF0\x9F\x98\x80"}};
    for (size_t at = 0; at < 20; ++at)
        for (const auto& [utf16, utf8] : others) {
            const std::string expected = std::string(at, 'a') + utf8 + std::string(20 - at, 'a');
            const std::u16string text = std::u16string(at, u'a') + utf16 + std::u16string(20 - at, u'a');
            EXPECT_EQ(Utf16ToUtf8(text), expected) << at;
            EXPECT_EQ(Utf8ToUtf16(expected), text) << at;
        }
}
