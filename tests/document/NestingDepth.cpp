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
