// The platform layer's UTF-16 to UTF-8 encoder, by which the plug-in names files on Linux and the
// host side writes every text: hand-written on Linux, the system's on Windows, with one result.

#include "platform/Platform.h"

#include <gtest/gtest.h>
#include <string>

namespace
{

using Plugin::WideChar;
using Plugin::WideString;

std::string Encode(const std::u16string& text)
{
    const WideString wide(text.begin(), text.end());
    return Platform::ToUtf8(wide.data(), wide.size());
}

TEST(ToUtf8, EveryLengthOfSequenceAndLoneSurrogatesAsReplacement)
{
    const struct
    {
        const char* name;
        std::u16string text;
        std::string expected;
    } rows[] = {
        {"empty", u"", ""},
        {"ASCII", u"Point 7", "Point 7"},
        {"two bytes", u"\u00E9\u0416", "\xC3\xA9\xD0\x96"},
        {"three bytes", u"\u20AC\uFFFD", "\xE2\x82\xAC\xEF\xBF\xBD"},
        {"a pair, four bytes", u"\U0001D11E", "\xF0\x9D\x84\x9E"},
        {"a zero unit inside", std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
        {"lone high surrogate", std::u16string(1, u'\xD800') + u"a",
         "\xEF\xBF\xBD"
         "a"},
        {"lone low surrogate", std::u16string(1, u'\xDC00'), "\xEF\xBF\xBD"},
        {"high at the end", u"a" + std::u16string(1, u'\xDBFF'), "a\xEF\xBF\xBD"},
        {"low before high", std::u16string{u'\xDC00', u'\xD800'}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Encode(row.text), row.expected) << row.name;
}

TEST(ToUtf8, TakesExactlyTheLengthGivenAndKeepsAPairAcrossALongText)
{
    const WideString text = WIDE_TEXT("abc");
    EXPECT_EQ(Platform::ToUtf8(text.c_str(), 2), "ab");
    // A pair on either side of the first mebi-unit, where a converter in pieces could cut it.
    for (const std::size_t before : {(std::size_t{1} << 20) - 1, std::size_t{1} << 20})
    {
        const std::u16string longText = std::u16string(before, u'x') + u"\U0001D11E" + u"y";
        const std::string encoded = Encode(longText);
        EXPECT_EQ(encoded.size(), before + 5) << before;
        EXPECT_EQ(encoded.substr(before), "\xF0\x9D\x84\x9Ey") << before;
    }
}

} // namespace
