// The depth scan that guards the parser's recursion: it must count element nesting as the parser
// will, and so not be fooled by markup-like text in places where the parser sees none.

#include "document/NestingDepth.h"

#include <gtest/gtest.h>
#include <string>

namespace
{

using Plugin::NestsDeeperThan;

TEST(NestingDepth, CountsOnlyTheElementsTheParserDescendsInto)
{
    const struct
    {
        const char* document;
        std::size_t depth; // elements with content open at the deepest point
    } rows[] = {
        {"", 0},
        {"<a/>", 0}, // an empty element has no content to descend into
        {"<a></a>", 1},
        {"<a><b/></a>", 1},
        {"<a><b></b></a>", 2},
        {"<a></a><b></b>", 1},
        {"<a><b></b><c></c></a>", 2},
        {"<a><b></c></a>", 2}, // closing names are not compared
        {"<a>text<b>more</b>tail</a>", 2},
        {"<a>1 &lt; 2 &#60; 3</a>", 1},
        {"\xEF\xBB\xBF<a><b></b></a>", 2},
        {"<?xml version='1.0'?><a><b></b></a>", 2},
        {"<a><!-- <b><c> --></a>", 1},
        {"<a><!-- > <b> --></a>", 1},
        {"<a><![CDATA[<b><c>]]></a>", 1},
        {"<a><![CDATA[]]<b>]]></a>", 1},
        {"<a x='<b>'></a>", 1},
        {"<a><b x='/>' y=\"<c>\"></b></a>", 2},
        {"<a><?pi <b> > ?></a>", 1},
        {"<!DOCTYPE a [<!ELEMENT a ANY><!ENTITY e '<b>'>]><a></a>", 1},
        {"<!DOCTYPE a [<!ENTITY e '>'>]><a><b></b></a>", 2},
        {"<!DOCTYPE a [<!ATTLIST a x CDATA '[]'>]><a><b></b></a>", 2},
        {"<a><b><c></c></b></a>", 3},
    };
    for (const auto& row : rows)
    {
        if (row.depth > 0)
        {
            EXPECT_TRUE(NestsDeeperThan(row.document, row.depth - 1)) << row.document;
        }
        EXPECT_FALSE(NestsDeeperThan(row.document, row.depth)) << row.document;
    }
}

TEST(NestingDepth, StopsAtTheFirstSyntaxErrorAndLeavesItToTheParser)
{
    // Beyond an error the parser never gets, so nothing there can exhaust its stack.
    for (const char* document : {"text<a><b></b></a>", "<a><b x=1><c></c></b></a>",
                                 "<a><!-- unterminated <b><c>", "<a>\0<b><c></c></b></a>"})
        EXPECT_FALSE(NestsDeeperThan(document, 1)) << document;
}

// Large documents are read a block of bytes at a time where they hold only plain elements and
// text. Each construct below sits among such markup, at every offset within a block, so that it
// straddles a block's edge somewhere.
TEST(NestingDepth, MarkupInsideValuesAndOtherNodesIsNotCountedInLongDocuments)
{
    const struct
    {
        const char* markup;
        std::size_t depth; // levels it opens below the document's two outer elements
    } rows[] = {
        {"<a x=\"1>2\"><b></b></a>", 2},
        {"<a x=\"<b>\"></a>", 1},
        {"<a x=\"</b>\"><c></c></a>", 2},
        {"<a x=\"a>b</c\" y=\"\"><d></d></a>", 2},
        {"<a x=\"a>b</c\" y=\"\">text long enough to put the next element in a later "
         "block<d></d></a>",
         2},
        {"<a x='>'><b></b></a>", 2},
        {"<a x='\"></b>'><c></c></a>", 2},
        {"<a x=\"'></b>\"><c></c></a>", 2},
        {"<a x = \">\" ><b/></a>", 1},
        {"<a x=\"/>\"><b></b></a>", 2},
        {"<a x= \"/>\"><b></b></a>", 2},
        {"<a x=\n\t'/>'><b></b></a>", 2},
        {"<a\n\tx=\r\n\">\"\n/>", 0},
        {"<a x=\"/\"/><b></b>", 1},
        {"<!-- > <b> </c> -->", 0},
        {"<a><!-- --> <b> --></a>", 2},
        {"<![CDATA[ > <b> ]]>", 0},
        {"<![CDATA[</r></r>]]><a></a>", 1},
        {"<![CDATA[ ]] > ]]><a><b></b></a>", 2},
        {"<?pi > <b> ?>", 0},
        {"<?pi ?><a> ?></a>", 1},
        {"<!DOCTYPE x [<!ENTITY e '>'>]><a></a>", 1},
        {"<a>1 > 0 and \"2\" > '1'</a>", 1},
        {"<a/><b/><c></c>", 1},
        {"<a></><b></b ><c></c >", 1},
        {"<a\"b x=\"1>2</c\" d\"=\"\"><e></e></a>", 2},
        {"<a=\" x=\">\"><e></e></a>", 2},
        {"<a x=\"1\"y='2'><b></b></a>", 2},
        {"<a><b><c><d></d></c></b></a>", 4},
    };
    // Among text, nothing but the construct itself meets a block's edge.
    std::string elements, text;
    for (int line = 0; line < 20; ++line)
    {
        elements += "<p n=\"12.5\" m=\"x y\"/>\n";
        text += "6177140.461 496019.714\n";
    }
    for (const std::string& plain : {elements, text})
        for (const auto& row : rows)
            for (std::size_t offset = 0; offset < 64; ++offset)
            {
                const std::string document = "<?xml version=\"1.0\"?>\n<r><s>" + plain +
                                             std::string(offset, ' ') + row.markup + plain +
                                             "</s></r>";
                EXPECT_TRUE(NestsDeeperThan(document.c_str(), row.depth + 1)) << document;
                EXPECT_FALSE(NestsDeeperThan(document.c_str(), row.depth + 2)) << document;
            }
}

TEST(NestingDepth, TheEndOfTheDataInsideAConstructEndsTheScan)
{
    std::string plain;
    for (int element = 0; element < 20; ++element)
        plain += "<p n=\"12.5\"/>\n";
    for (const char* unfinished :
         {"<a x=\"1", "<a x='1", "<!-- x", "<![CDATA[ x", "<?pi x", "<a x=\"1>2", "<a", "</a"})
        for (std::size_t offset = 0; offset < 64; ++offset)
        {
            // Nothing after the terminator counts.
            const std::string document = "<r><q>" + plain + std::string(offset, ' ') + unfinished +
                                         '\0' + "\"><b><c><d>" + plain + "</d></c></b></a></q></r>";
            EXPECT_TRUE(NestsDeeperThan(document.c_str(), 1)) << unfinished;
            EXPECT_FALSE(NestsDeeperThan(document.c_str(), 2)) << unfinished;
        }
}

TEST(NestingDepth, AnErrorLongBeforeTheDeepPartStillEndsTheScan)
{
    // The parser stops at its first error, so the levels after it never reach its stack, however
    // plain the markup between them.
    std::string plain;
    for (int element = 0; element < 40; ++element)
        plain += "<p n=\"12.5\"/>\n";
    std::string deep;
    for (int level = 0; level < 50; ++level)
        deep += "<e>";
    for (const char* error : {"<a b>", "<a b=c>", "<a b=\"1\" =\"2\">", "< a>", "<a x=\"1\"/ >",
                              "</a/>", "<a/ >", "<a b='1\">"})
    {
        const std::string document = "<r>" + plain + error + plain + deep + "</r>";
        for (std::size_t limit = 1; limit < 60; ++limit)
            EXPECT_FALSE(NestsDeeperThan(document.c_str(), limit)) << error << ", limit " << limit;
    }
}

TEST(NestingDepth, ThousandsOfLevelsAreCountedWithoutRecursion)
{
    std::string document;
    for (int level = 0; level < 200000; ++level)
        document += "<e>";
    EXPECT_TRUE(NestsDeeperThan(document.c_str(), Plugin::kMaxElementDepth));
    EXPECT_TRUE(NestsDeeperThan(document.c_str(), 199999));
    EXPECT_FALSE(NestsDeeperThan(document.c_str(), 200000));
}

} // namespace
