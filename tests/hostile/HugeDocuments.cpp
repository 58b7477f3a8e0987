// Documents far beyond anything real, which must still import or be refused cleanly: one element
// with 100,000 attributes, 1,000,000 sibling elements, a 50 MB attribute value, and nesting just
// under, at, and far over the depth the plug-in accepts.

#include "document/NestingDepth.h"
#include "tests/hostile/HostileSupport.h"
#include "tests/support/TestImport.h"

#include <gtest/gtest.h>

namespace
{

TEST(HugeDocuments, OneElementWithAHundredThousandAttributes)
{
    constexpr int kAttributes = 100000;
    // Unknown attributes first, the point's own at the very end: every lookup walks them all.
    std::string point = "<CgPoint";
    for (int i = 0; i < kAttributes; ++i)
        point += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    point += " name=\"LAST\" code=\"C\">1 2 3</CgPoint>";
    // The same name 100,000 times: the first one counts.
    std::string repeated = "<CgPoint";
    for (int i = 0; i < kAttributes; ++i)
        repeated += " name=\"N" + std::to_string(i) + "\"";
    repeated += ">1 2 3</CgPoint>";

    const Host::ImportRun run =
        Host::ParseBytes(Testing::LandXml("<CgPoints>" + repeated + point + "</CgPoints>"));
    ASSERT_EQ(Hostile::Problems(run), "");
    ASSERT_FALSE(run.files.at(0).formatError);
    const std::vector<std::string> expected = {Hostile::TextCall("AddPoint", u"LAST"),
                                               Hostile::TextCall("AddPoint", u"N0")};
    EXPECT_EQ(Testing::LinesStartingWith(run.lines, "AddPoint("), expected);
    EXPECT_EQ(Testing::LinesStartingWith(run.lines, "SetPointCode("),
              std::vector<std::string>{Hostile::TextCall("SetPointCode", u"C")});
}

TEST(HugeDocuments, AMillionSiblingElements)
{
    constexpr int kSiblings = 1000000;
    std::string body = "<CgPoints><CgPoint name=\"FIRST\">1 2 3</CgPoint>";
    body.reserve(body.size() + kSiblings * 11 + 64);
    for (int i = 0; i < kSiblings; ++i)
        body += "<CgPoint/>";
    body += "</CgPoints>";
    const Host::ImportRun run = Host::ParseBytes(Testing::LandXml(body));
    ASSERT_EQ(Hostile::Problems(run), "");
    ASSERT_FALSE(run.files.at(0).formatError);
    // Points go out from the last to the first; the nameless ones send nothing.
    EXPECT_EQ(Testing::LinesStartingWith(run.lines, "AddPoint("),
              std::vector<std::string>{Hostile::TextCall("AddPoint", u"FIRST")});
}

TEST(HugeDocuments, AFiftyMegabyteAttributeValue)
{
    // The name: 50 MB of ASCII. The description beside it: 2,000,000 Cyrillic letters (4 MB),
    // which take the decoder's long path through the heap rather than its ASCII shortcut.
    constexpr std::size_t kNameBytes = 50 * 1000 * 1000;
    constexpr std::size_t kLetters = 2 * 1000 * 1000;
    std::string block;
    for (int i = 0; i < 1000; ++i)
        block += "\xD0\x96"; // Ж
    std::string description;
    for (std::size_t i = 0; i < kLetters / 1000; ++i)
        description += block;
    const Host::ImportRun run = Host::ParseBytes(
        Testing::LandXml("<CgPoints><CgPoint name=\"" + std::string(kNameBytes, 'N') +
                         "\" desc=\"" + description + "\">1 2 3</CgPoint></CgPoints>"));
    ASSERT_EQ(Hostile::Problems(run), "");
    ASSERT_FALSE(run.files.at(0).formatError);
    // The host sees every character: the record shows the start and the length of each text.
    const std::vector<std::string> points = Testing::LinesStartingWith(run.lines, "AddPoint(");
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].compare(0, 20, "AddPoint(\"NNNNNNNNNN"), 0) << points[0].substr(0, 100);
    EXPECT_NE(points[0].find("[" + std::to_string(kNameBytes) + " characters]"), std::string::npos)
        << points[0].substr(0, 300);
    const std::vector<std::string> descriptions =
        Testing::LinesStartingWith(run.lines, "extension.SetDescription(");
    ASSERT_EQ(descriptions.size(), 1u);
    const std::string start = "extension.SetDescription(\"" + block.substr(0, 20);
    EXPECT_EQ(descriptions[0].compare(0, start.size(), start), 0) << descriptions[0].substr(0, 100);
    EXPECT_NE(descriptions[0].find("[" + std::to_string(kLetters) + " characters]"),
              std::string::npos)
        << descriptions[0].substr(0, 300);
}

// Elements nested to the given depth, the LandXML root counting as the first level, with a
// point inside the root after them; decoration is written into every nested element.
std::string Nested(std::size_t depth, const std::string& open, const std::string& close)
{
    std::string body;
    for (std::size_t level = 1; level < depth; ++level)
        body += open;
    for (std::size_t level = 1; level < depth; ++level)
        body += close;
    return Testing::LandXml(body + "<CgPoints><CgPoint name=\"P\">1 2 3</CgPoint></CgPoints>");
}

TEST(HugeDocuments, NestingUpToTheLimitImportsAndBeyondIsMalformed)
{
    // Markup that a careless depth scan could count wrong: closing tags inside attribute
    // values, comments, CDATA sections and processing instructions, and closing tags whose
    // names differ from their opening tags.
    const struct
    {
        const char* name;
        std::string open;
        std::string close;
    } shapes[] = {
        {"plain", "<a>", "</a>"},
        {"attributes", "<a x=\"</a>\" y='/>'>", "</a>"},
        {"comments", "<a><!-- </a> -->", "</a>"},
        {"cdata", "<a><![CDATA[</a>]]>", "</a>"},
        {"processing instructions", "<a><?pi </a> ?>", "</a>"},
        {"other closing names", "<a>", "</b >"},
        {"text", "<a>x &gt; y > z", "</a>"},
    };
    const std::size_t limit = Plugin::kMaxElementDepth;
    for (const auto& shape : shapes)
    {
        for (const std::size_t depth : {limit - 1, limit, limit + 1, limit + 2})
        {
            const Host::ImportRun run = Host::ParseBytes(Nested(depth, shape.open, shape.close));
            ASSERT_EQ(Hostile::Problems(run), "") << shape.name << ", depth " << depth;
            const bool refused = depth > limit;
            EXPECT_EQ(run.files.at(0).formatError, refused) << shape.name << ", depth " << depth;
            EXPECT_EQ(run.files.at(0).points, refused ? 0 : 1) << shape.name << ", depth " << depth;
        }
    }
}

TEST(HugeDocuments, NestingFarBeyondTheLimitIsMalformedWithoutExhaustingTheStack)
{
    const struct
    {
        const char* name;
        std::string document;
    } cases[] = {
        {"100,000 closed levels", Nested(100000, "<a>", "</a>")},
        {"1,000,000 unclosed levels", "<LandXML version=\"1.2\">" +
                                          []
                                          {
                                              std::string open;
                                              for (int i = 0; i < 1000000; ++i)
                                                  open += "<a>";
                                              return open;
                                          }()},
    };
    for (const auto& item : cases)
    {
        const Host::ImportRun run = Host::ParseBytes(item.document);
        ASSERT_EQ(Hostile::Problems(run), "") << item.name;
        EXPECT_TRUE(run.files.at(0).formatError) << item.name;
        EXPECT_FALSE(run.files.at(0).parsed) << item.name;
    }
}

} // namespace
