// Texts of the tree as wide strings. The tree is UTF-8 whatever the document's encoding: a
// declared encoding naming 1251 or 1252 reads the document in the thread's ANSI code page
// (Windows-1251 where the system has none) before it is parsed, and no byte sequence fails.

#include "document/DocumentText.h"
#include "import/LandXMLImporter.h"
#include "tests/support/TestImport.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

namespace
{

using namespace Plugin;

const char* const kAnsiEncodings[] = {"windows-1251", "WINDOWS-1252", "cp1251", "x-1252-y"};
// UTF-8 too: ASCII, which is part of it, and names of no character set read here.
const char* const kUtf8Encodings[] = {
    "UTF-8",       "utf-8",       "",       "125",      "US-ASCII", "latin 1", "ISO-8859-1 ",
    "ISO-8859-12", "ISO-8859-17", "UTF-16", "x-unknown"};

// The texts of an importer, as the readers convert them.
class Decoder
{
public:
    Decoder() : importer(&host, &setting, WideView()) {}
    std::u16string operator()(std::string_view bytes) const
    {
        const WideText wide = importer.ToWide(bytes);
        return std::u16string(wide.View().begin(), wide.View().end());
    }

private:
    Host::Recorder record;
    Host::Sink host{record};
    const bool setting = true;
    CLandXMLImporter importer;
};

// The names the host received for the document's points.
std::vector<std::string> PointNames(const std::string& encoding, const std::string& names)
{
    const std::string document = "<?xml version=\"1.0\" encoding=\"" + encoding +
                                 "\"?>\n<LandXML version=\"1.2\"><CgPoints>" + names +
                                 "</CgPoints></LandXML>";
    std::vector<std::string> found;
    for (const std::string& line : Testing::ImportDocument(document))
        if (line.rfind("AddPoint(", 0) == 0)
            found.push_back(line);
    return found;
}

// Bytes as hexadecimal, for messages.
std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (const char byte : bytes)
    {
        const auto value = static_cast<unsigned char>(byte);
        text += {digits[value >> 4], digits[value & 15], ' '};
    }
    return text;
}

std::string Point(const std::string& name)
{
    return "<CgPoint name=\"" + name + "\">1 2 3</CgPoint>";
}

TEST(ToWide, DeclaredEncodingNamingTheCodePagesSelectsTheAnsiCodePage)
{
    for (const char* encoding : kAnsiEncodings)
        EXPECT_EQ(DeclaredCodePage(encoding), Platform::CodePage::ThreadAnsi) << encoding;
    for (const char* encoding : kUtf8Encodings)
        EXPECT_EQ(DeclaredCodePage(encoding), Platform::CodePage::Utf8) << encoding;
}

TEST(ToWide, WholeImportsDecodeNamesUnderTheDeclaredEncoding)
{
    struct Row
    {
        std::string encoding;
        std::string name;
        std::string expected;
    };
    // D0 90: one letter in UTF-8, two in Windows-1251.
    std::vector<Row> rows;
    for (const char* encoding : kAnsiEncodings)
        rows.push_back({encoding, "\xD0\x90", "\u0420\u0452"});
    for (const char* encoding : kUtf8Encodings)
        rows.push_back({encoding, "\xD0\x90", "\u0410"});
    rows.insert(rows.end(), {
                                {"windows-1251", "\xCF\xF3\xED\xEA\xF2", "Пункт"},
                                // A reference gives its character under every code page.
                                {"windows-1251", "&#1040;", "\u0410"},
                                {"UTF-8", "&#1040;", "\u0410"},
                                {"UTF-8", "&#x1F600;", "\U0001F600"},
                                {"UTF-8", "ab&#0;cd", "ab"}, // a reference to 0 ends the text
                                {"windows-1251", "&#x41;&#0;B", "A"},
                                {"UTF-8", "\xFF", "\uFFFD"},
                            });
    for (const Row& row : rows)
        EXPECT_EQ(PointNames(row.encoding, Point(row.name)),
                  std::vector<std::string>{"AddPoint(\"" + row.expected + "\")"})
            << row.encoding << " " << Hex(row.name);
}

TEST(ToWide, Utf8ReplacesMalformedSequencesAndNeverFails)
{
    // Each malformed sequence becomes U+FFFD; a byte that cannot start a sequence (C0, F5, a
    // lone continuation) is one of its own, and a truncated sequence is one as a whole.
    const Decoder utf8;
    const std::pair<std::string, std::u16string> rows[] = {
        {"\xD0\x90", u"\u0410"},
        {"x\xC3\xA9y", u"x\u00E9y"},
        {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"}, // four bytes: a surrogate pair
        {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"}, // U+10FFFF
        {"\xEF\xBF\xBD", u"\uFFFD"},
        {"\xFF", u"\uFFFD"},
        {"\x80", u"\uFFFD"},
        {"a\xC3", u"a\uFFFD"},                     // truncated at the end
        {"\xE2\x82", u"\uFFFD"},                   // truncated three-byte sequence
        {"\xE2\x82x", u"\uFFFDx"},                 // interrupted
        {"\xF0\x9F\x98", u"\uFFFD"},               // truncated four-byte sequence
        {"\xF0\x9F\x98\xC3\xA9", u"\uFFFD\u00E9"}, // interrupted by a whole letter
        {"\xC0\x80", u"\uFFFD\uFFFD"},             // overlong two-byte zero
        {"\xF5\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    };
    for (const auto& [bytes, expected] : rows)
        EXPECT_EQ(utf8(bytes), expected) << Hex(bytes);

    // Where a lead byte is valid but its continuation out of range, system converters differ
    // in how many replacements they write (one per byte, or the first two bytes as one); none
    // decodes such a sequence into a character.
    for (const std::string bytes : {"\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
    {
        const std::u16string text = utf8(bytes);
        EXPECT_GE(text.size(), 2u) << Hex(bytes);
        EXPECT_LE(text.size(), bytes.size()) << Hex(bytes);
        EXPECT_EQ(text.find_first_not_of(u'\uFFFD'), std::u16string::npos) << Hex(bytes);
    }
}

TEST(ToWide, AnsiCodePageMapsEachByteToOneCharacter)
{
    const std::pair<std::string, std::string> rows[] = {
        {"\xD0\x90", "\u0420\u0452"}, {"\xC0\xFF", "\u0410\u044F"}, {"\x88", "\u20AC"},
        {"\xA8\xB8", "\u0401\u0451"}, {"\xB9", "\u2116"},           {"abc", "abc"},
    };
    for (const auto& [bytes, expected] : rows)
        EXPECT_EQ(PointNames("windows-1251", Point(bytes)),
                  std::vector<std::string>{"AddPoint(\"" + expected + "\")"})
            << Hex(bytes);
}

TEST(ToWide, EmptyAndAbsentTextsAreEmpty)
{
    const Decoder utf8;
    EXPECT_EQ(utf8(""), u"");
    Host::Recorder record;
    Host::Sink host(record);
    const bool setting = true;
    const CLandXMLImporter importer(&host, &setting, WideView());
    EXPECT_TRUE(importer.ToWide(std::string_view()).empty());
    EXPECT_EQ(importer.ToWide(std::string_view("ab\0cd", 5)).View(), WideView(WIDE_TEXT("ab")));
}

TEST(ToWide, ConvertsOnlyTheBytesItIsGiven)
{
    // The first two bytes are the letter А in UTF-8; readable bytes follow them.
    const Decoder utf8;
    const std::string bytes = "\xD0\x90XY";
    EXPECT_EQ(utf8(std::string_view(bytes.data(), 2)), u"\u0410");
    EXPECT_EQ(utf8(std::string_view(bytes.data(), 3)), u"\u0410X");
    EXPECT_EQ(utf8(std::string_view(bytes.data(), 1)), u"\uFFFD");
}

TEST(ToWide, LongTextsConvertInFull)
{
    // Around the 128 characters a conversion holds without the heap, and far beyond.
    const struct
    {
        const char* encoding;
        const char* unit;
        std::size_t count;
        const char* expected;
    } rows[] = {
        {"UTF-8", "\xD0\x96", 63, "\u0416"},
        {"UTF-8", "\xD0\x96", 64, "\u0416"},
        {"UTF-8", "\xD0\x96", 65, "\u0416"},
        {"UTF-8", "\xD0\x96", 3000, "\u0416"},
        {"cp1251", "\xC6", 127, "\u0416"},
        {"cp1251", "\xC6", 128, "\u0416"},
        {"cp1251", "\xC6", 129, "\u0416"},
        {"cp1251", "\xC6", 5000, "\u0416"},
        {"UTF-8", "\xF0\x9F\x98\x80", 1500, "\U0001F600"},
        {"UTF-8", "a", 5000, "a"},
    };
    for (const auto& row : rows)
    {
        std::string bytes;
        std::string expected;
        for (std::size_t i = 0; i < row.count; ++i)
        {
            bytes += row.unit;
            expected += row.expected;
        }
        EXPECT_EQ(PointNames(row.encoding, Point(bytes)),
                  std::vector<std::string>{"AddPoint(\"" + expected + "\")"})
            << row.count << " of " << Hex(row.unit);
    }
}

} // namespace
