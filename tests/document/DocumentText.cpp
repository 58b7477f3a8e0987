// Documents in every encoding the plug-in reads give the host the characters they hold: each
// single-byte character set by its declared name, UTF-16 by its byte-order mark or first
// characters, character references in any of them.

#include "document/DocumentText.h"
#include "tests/hostile/HostileSupport.h"
#include "tests/support/TestImport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

namespace
{

using namespace Plugin;
using Platform::CodePage;

// One point whose name, code and description hold word.
std::string PointDocument(const std::string& encoding, const std::string& word)
{
    return "<?xml version=\"1.0\" encoding=\"" + encoding +
           "\"?>\n<LandXML version=\"1.2\"><CgPoints><CgPoint name=\"" + word + "1\" code=\"" +
           word + "\" desc=\"" + word + " " + word + "\">1 2 3</CgPoint></CgPoints></LandXML>";
}

// UTF-16 code units as bytes.
std::string Units(const std::u16string& units, bool bigEndian)
{
    std::string bytes;
    for (const char16_t unit : units)
    {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

TEST(DocumentText, EveryEncodingGivesTheHostTheCallsOfTheSameDocumentInUtf8)
{
    struct Row
    {
        std::string name;
        std::string document;
        std::string word; // in UTF-8
    };
    std::vector<Row> rows;
    const auto declared = [&](const std::string& encoding, const std::string& bytes,
                              const std::string& word) {
        rows.push_back({encoding + " " + bytes, PointDocument(encoding, bytes), word});
    };
    declared("ISO-8859-1", "M\xE4ki", "Mäki");
    declared("latin1", "\xD6l\xFC", "Ölü");
    declared("ISO-8859-2", "\xA3\xF3\x64\xBC", "Łódź");
    declared("iso_8859-3", "\xA1\xF8", "Ħĝ");
    declared("l4", "\xE0\xB3", "āŗ");
    declared("ISO-8859-5", "\xB6\xEF", "Жя");
    declared("arabic", "\xC7\xC8", "اب");
    declared("ISO-8859-7", "\xD9\xE1", "Ωα");
    declared("ISO-8859-8", "\xE0\xF9", "אש");
    declared("ISO-8859-9", "\xD0\xFE", "Ğş");
    declared("ISO-8859-13", "\xD0\xE6", "Šę");
    declared("ISO-8859-15", "\xA4\xBC", "€Œ");
    // The sets Windows has no code page for, read by the plug-in's own tables.
    declared("ISO-8859-10", "\xA9\xBF", "Đŋ");
    declared("ISO-8859-11", "\xA1\xDB\xE0", "ก\uFFFDเ");
    declared("latin8", "\xA1\xFE", "Ḃŷ");
    declared("ISO-8859-16", "\xAA\xDE", "ȘȚ");
    declared("windows-1250", "\x8A\xE8", "Šč");
    declared("CP1253", "\xD9\xE1", "Ωα");
    declared("windows-1254", "\xD0\xFE", "Ğş");
    declared("windows-1255", "\xE0\xF9", "אש");
    declared("windows-1256", "\x81\xC7", "پا");
    declared("windows-1257", "\xE0\xD0", "ąŠ");
    declared("windows-1258", "\xD0\xFE", "Đ₫");
    declared("KOI8-R", "\xF6\xD1", "Жя");
    declared("koi8-u", "\xB7\xA7", "Її");
    declared("IBM866", "\x86\xEF", "Жя");
    declared("cp866", "\xF0\xF1", "Ёё");
    // The thread's ANSI code page, Windows-1251 in the tests' locale, for both names.
    declared("windows-1251", "\xC6\xFF", "Жя");
    declared("windows-1252", "\xC6\xFF", "Жя");
    // Character references give their character in every encoding, also one outside the set.
    declared("windows-1251", "&#1046;&#x44F;", "Жя");
    declared("ISO-8859-1", "&#228;&#1046;", "äЖ");
    declared("US-ASCII", "&#228;", "ä");
    declared("UTF-8", "&#1046;", "Ж");
    // UTF-16 whatever the declaration says, with or without a byte-order mark.
    for (const bool bigEndian : {false, true})
        for (const bool mark : {false, true})
            for (const char* encoding : {"UTF-16", "ISO-8859-1"})
                rows.push_back(
                    {std::string(bigEndian ? "UTF-16 BE" : "UTF-16 LE") +
                         (mark ? " with a mark, declared " : ", declared ") + encoding,
                     Hostile::Utf16(PointDocument(encoding, "Жя€\U0001F600"), bigEndian, mark),
                     "Жя€\U0001F600"});
    // A lone surrogate becomes U+FFFD, as a malformed UTF-8 sequence does.
    for (const bool bigEndian : {false, true})
    {
        std::u16string units = Host::FromUtf8(PointDocument("UTF-16", "@"));
        std::replace(units.begin(), units.end(), u'@', u'\xD800');
        rows.push_back({bigEndian ? "UTF-16 BE, lone surrogate" : "UTF-16 LE, lone surrogate",
                        Units(units, bigEndian), "\uFFFD"});
    }

    for (const Row& row : rows)
    {
        const std::vector<std::string> expected =
            Testing::ImportDocument(PointDocument("UTF-8", row.word));
        ASSERT_NE(std::find(expected.begin(), expected.end(), "AddPoint(\"" + row.word + "1\")"),
                  expected.end())
            << row.name;
        EXPECT_EQ(Testing::ImportDocument(row.document), expected) << row.name;
    }
}

TEST(DocumentText, Utf16EndsAtItsFirstZeroAndKeepsPairsWhole)
{
    // Pieces of 65536 units: a pair placed across the first boundary.
    const std::u16string before(65535, u'a');
    const struct
    {
        const char* name;
        std::u16string units;
        std::string expected;
    } rows[] = {
        {"pair", u"\uFEFFx\U0001F600y", "x\U0001F600y"},
        {"zero ends the text", std::u16string(u"ab\0cd", 5), "ab"},
        {"lone low surrogate", u"a" + std::u16string(1, u'\xDC00') + u"b", "a\uFFFDb"},
        {"high surrogate at the end", u"a" + std::u16string(1, u'\xD83D'), "a\uFFFD"},
        {"pair across pieces", before + u"\U0001F600", std::string(65535, 'a') + "\U0001F600"},
    };
    for (const auto& row : rows)
        for (const bool bigEndian : {false, true})
        {
            const std::string bytes = Units(row.units, bigEndian);
            EXPECT_EQ(
                std::string_view(Utf16ToUtf8(bytes.data(), bytes.size(),
                                             bigEndian ? Utf16::BigEndian : Utf16::LittleEndian)),
                row.expected)
                << row.name << (bigEndian ? " BE" : " LE");
        }
    // Half a code unit at the end.
    const std::string odd = Units(u"ab", false) + "c";
    EXPECT_EQ(std::string_view(Utf16ToUtf8(odd.data(), odd.size(), Utf16::LittleEndian)),
              "ab\uFFFD");
}

TEST(DocumentText, ASingleByteDocumentConvertsInFullUpToItsFirstZero)
{
    const std::string longText(200000, '\xC6');
    std::string longExpected;
    for (std::size_t i = 0; i < longText.size(); ++i)
        longExpected += "Ж";
    const struct
    {
        const char* name;
        std::string bytes;
        std::string expected;
    } rows[] = {
        {"letters", "<a>\xC6</a>", "<a>Ж</a>"},
        {"UTF-8 mark left out", "\xEF\xBB\xBF<a/>", "<a/>"},
        {"zero ends it", std::string("a\xC6\0b", 4), "aЖ"},
        {"longer than a piece, no byte below 0x40", longText, longExpected},
        {"longer than a piece, markup between", "<" + longText + ">", "<" + longExpected + ">"},
    };
    // Windows-1251 as the thread's ANSI code page in the tests' locale.
    for (const auto& row : rows)
        EXPECT_EQ(std::string_view(CodePageToUtf8(row.bytes.c_str(), CodePage::ThreadAnsi)),
                  row.expected)
            << row.name;
}

} // namespace
