// Bytes the XML parser and the text decoding must survive: documents in UTF-16, zero bytes
// inside the markup, character references to 0 and beyond U+10FFFF.

#include "tests/hostile/HostileSupport.h"
#include "tests/support/TestImport.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace
{

const std::string kPoint = "<CgPoints><CgPoint name=\"P\" code=\"C\">1 2 3</CgPoint></CgPoints>";

std::string Document(const std::string& body)
{
    return Testing::LandXml(body);
}

std::string FirstLineOf(const Host::ImportRun& run, const std::string& method)
{
    for (const std::string& line : run.lines)
        if (line.rfind(method + "(", 0) == 0)
            return line;
    return "";
}

TEST(HostileEncodings, Utf16DocumentsImportAsTheirText)
{
    // The document starts with its declaration, which UTF-16 without a mark is known by.
    const std::string document = Document(kPoint);
    const struct
    {
        const char* name;
        bool bigEndian;
        bool byteOrderMark;
    } cases[] = {
        {"utf16le-bom.xml", false, true},
        {"utf16be-bom.xml", true, true},
        {"utf16le.xml", false, false},
        {"utf16be.xml", true, false},
    };
    const Testing::TempFolder folder;
    for (const auto& item : cases)
    {
        const auto path =
            folder.Write(item.name, Hostile::Utf16(document, item.bigEndian, item.byteOrderMark));
        const Host::ImportRun run = Host::ImportPaths({path});
        ASSERT_EQ(Hostile::Problems(run), "") << item.name;
        ASSERT_EQ(run.files.size(), 1u) << item.name;
        EXPECT_FALSE(run.files[0].formatError) << item.name;
        EXPECT_TRUE(run.files[0].parsed) << item.name;
        EXPECT_EQ(run.files[0].points, 1) << item.name;
        EXPECT_EQ(FirstLineOf(run, "AddPoint"), Hostile::TextCall("AddPoint", u"P")) << item.name;
        EXPECT_TRUE(run.files[0].finished) << item.name;
    }
}

TEST(HostileEncodings, ZeroByteEndsTheData)
{
    const std::string zero(1, '\0');
    const struct
    {
        const char* name;
        std::string document;
        bool malformed;
    } cases[] = {
        {"in an element name", Document("<CgPo" + zero + "ints/>"), true},
        {"in an attribute name", Document("<CgPoints><CgPoint na" + zero + "me=\"P\"/></CgPoints>"),
         true},
        {"in an attribute value",
         Document("<CgPoints><CgPoint name=\"P" + zero + "Q\"/></CgPoints>"), true},
        {"in a text",
         Document("<CgPoints><CgPoint name=\"P\">1 2" + zero + " 3</CgPoint></CgPoints>"), true},
        {"before the root", zero + Document(kPoint), true},
        {"after the root", Document(kPoint) + zero + "<<<garbage", false},
    };
    const Testing::TempFolder folder;
    const Host::ImportRun clean = Host::ImportPaths({folder.Write("clean.xml", Document(kPoint))});
    for (const auto& item : cases)
    {
        const auto path = folder.Write("zero.xml", item.document);
        const Host::ImportRun run = Host::ImportPaths({path});
        ASSERT_EQ(Hostile::Problems(run), "") << item.name;
        ASSERT_EQ(run.files.size(), 1u) << item.name;
        EXPECT_EQ(run.files[0].formatError, item.malformed) << item.name;
        EXPECT_TRUE(run.files[0].finished) << item.name;
        if (!item.malformed)
        {
            // Everything after the zero byte is ignored: the calls are those of the clean file.
            ASSERT_EQ(run.lines.size(), clean.lines.size()) << item.name;
            for (std::size_t i = 1; i < run.lines.size(); ++i)
                EXPECT_EQ(run.lines[i], clean.lines[i]) << item.name;
        }
    }
}

enum class Verdict
{
    Imported,
    Malformed,
    Either, // the parser's number overflows: where it lands decides, but nothing may break
};

TEST(HostileEncodings, CharacterReferencesAtTheEdgesOfUnicode)
{
    const struct
    {
        const char* reference;
        Verdict verdict;
        const char16_t* name; // the point's name when it can be told; null when any name will do
    } cases[] = {
        {"&#0;", Verdict::Imported, u"P"}, // the zero ends the text
        {"&#x0;", Verdict::Imported, u"P"},
        {"&#x41;", Verdict::Imported, u"PAQ"},
        {"&#1040;", Verdict::Imported, u"P\u0410Q"},
        {"&#x10FFFF;", Verdict::Imported, u"P\U0010FFFFQ"},
        {"&#1114111;", Verdict::Imported, u"P\U0010FFFFQ"},
        {"&#x110000;", Verdict::Malformed, nullptr},
        {"&#1114112;", Verdict::Malformed, nullptr},
        {"&#xFFFFFFFF;", Verdict::Malformed, nullptr},
        {"&#xD800;", Verdict::Imported, nullptr}, // a surrogate's code point: decoded as the
                                                  // platform decodes its UTF-8 form
        {"&#xFFFE;", Verdict::Imported, u"P\uFFFEQ"},
        {"&#99999999999999999999999;", Verdict::Either, nullptr},
        {"&#x10000000000000041;", Verdict::Either, nullptr},
        {"&#x;", Verdict::Imported, u"P"},
        {"&#65", Verdict::Malformed, nullptr}, // no semicolon
        {"&unknown;", Verdict::Imported, u"P&unknown;Q"},
    };
    for (const auto& item : cases)
    {
        const std::string document = Document(std::string("<CgPoints><CgPoint name=\"P") +
                                              item.reference + "Q\">1 2 3</CgPoint></CgPoints>");
        const Host::ImportRun run = Host::ParseBytes(document);
        ASSERT_EQ(Hostile::Problems(run), "") << item.reference;
        const Host::FileOutcome& file = run.files.at(0);
        EXPECT_TRUE(file.finished) << item.reference;
        EXPECT_EQ(file.points, file.formatError ? 0 : 1) << item.reference;
        if (item.verdict != Verdict::Either)
        {
            EXPECT_EQ(file.formatError, item.verdict == Verdict::Malformed) << item.reference;
        }
        if (item.name != nullptr)
        {
            EXPECT_EQ(FirstLineOf(run, "AddPoint"), Hostile::TextCall("AddPoint", item.name))
                << item.reference;
        }
    }
}

// An incomplete sequence at the end of a text (a lead byte F4 without its continuation bytes,
// for instance): the system converter of the Windows build, as Wine runs it, takes a zero byte
// after the text into the malformed sequence and writes no zero character. ToWide must take the
// number of characters the conversion wrote, never read the result on up to a zero character
// into memory that was never written (a fault found by replaying the fuzz corpus under Wine).
TEST(HostileEncodings, IncompleteSequenceAtTheEndOfATextBecomesReplacementCharacters)
{
    const std::string longName(300, 'L');
    const struct
    {
        const char* name;
        std::string bytes;
        std::u16string start; // the decoded text begins so; only U+FFFD may follow
    } cases[] = {
        {"four-byte lead alone", "P\xF4", u"P"},
        {"four-byte lead and one more", "P\xF4\x8F", u"P"},
        {"four-byte lead and two more", "P\xF0\x9F\x98", u"P"},
        {"three-byte lead and one more", "P\xE2\x82", u"P"},
        {"two-byte lead alone", "P\xC3", u"P"},
        {"long text, four-byte lead alone", longName + "\xF4", std::u16string(300, u'L')},
    };
    for (const auto& item : cases)
    {
        const Host::ImportRun run = Host::ParseBytes(
            Document("<CgPoints><CgPoint name=\"" + item.bytes + "\">1 2 3</CgPoint></CgPoints>"));
        ASSERT_EQ(Hostile::Problems(run), "") << item.name;
        const std::string line = FirstLineOf(run, "AddPoint");
        // AddPoint("start<U+FFFD...>")
        const std::string prefix = "AddPoint(\"" + Host::ToUtf8(item.start);
        ASSERT_EQ(line.compare(0, prefix.size(), prefix), 0) << item.name << ": " << line;
        std::string rest = line.substr(prefix.size());
        ASSERT_GE(rest.size(), 2u) << item.name << ": " << line;
        EXPECT_EQ(rest.substr(rest.size() - 2), "\")") << item.name << ": " << line;
        rest.erase(rest.size() - 2);
        std::string replacements;
        while (replacements.size() < std::max<std::size_t>(rest.size(), 3))
            replacements += "\xEF\xBF\xBD"; // U+FFFD
        EXPECT_EQ(rest, replacements) << item.name << ": " << line;
    }
}

} // namespace
