// A file's bytes as a document: what is malformed, which declaration and root count, and the
// version and the code page the readers then work with.

#include "document/NestingDepth.h"
#include "import/LandXMLImporter.h"
#include "tests/support/TestImport.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

using namespace Plugin;
using namespace std::string_literals;
using Lines = std::vector<std::string>;

const std::string kHalfway = "SetProgress(50)";
const Lines kImported = {kHalfway};
const Lines kMalformed = {"SetFileResult(-1)", R"(ReportError("Ошибка в формате файла"))"};
const Lines kNoRoot = {kHalfway, "SetFileResult(-1)", R"(ReportError("Ошибка в формате файла"))"};

struct Parsed
{
    Lines sinkCalls; // parser and factory calls left out
    int version;     // as the readers show it
};

// After ParseDocument, the readers run on a probe of their own and show the version code:
// LandXML 1.2 reads observation groups, LandXML 1.0 takes a point's feature from just before it.
int VersionShownByReaders(CLandXMLImporter& importer, Host::Recorder& record)
{
    char probe[] =
        R"(<Survey><ObservationGroup id="g"><RawObservation><TargetPoint name="T"/>)"
        R"(</RawObservation></ObservationGroup></Survey><CgPoints><Feature code="F">)"
        R"(<Property label="a" value="b"/></Feature><CgPoint name="P" code="C"/></CgPoints>)";
    rapidxml::xml_document<char> tree;
    tree.parse<0>(probe);
    record.Clear();
    importer.ReadSurvey(tree.first_node("Survey"));
    importer.ReadCgPoints(tree.first_node("CgPoints"));
    const Lines calls = Testing::SinkCalls(record.Lines());
    if (std::find(calls.begin(), calls.end(), R"(SetTargetPoint("T"))") != calls.end())
        return 12;
    return std::find(calls.begin(), calls.end(), R"(SetPointCode("C /a=b"))") != calls.end() ? 10
                                                                                             : 11;
}

// Parses the bytes with an importer of its own, as the driver does for one file.
Parsed Parse(const std::string& document)
{
    std::vector<char> buffer(document.begin(), document.end());
    buffer.push_back('\0');
    Host::Recorder record;
    Host::Sink host(record);
    const bool setting = true;
    Parsed parsed;
    {
        CLandXMLImporter importer(&host, &setting, WideView());
        importer.ParseDocument(buffer.data(), document.size());
        parsed.sinkCalls = Testing::SinkCalls(record.Lines());
        parsed.version = VersionShownByReaders(importer, record);
    }
    EXPECT_EQ(host.LiveObjects(), 0);
    return parsed;
}

TEST(ParseDocument, TheRootsVersionAttributeGivesTheVersionCode)
{
    const std::pair<std::string, int> rows[] = {
        {R"(<LandXML version="1.0"/>)", 10},
        {R"(<LandXML version="1.1"/>)", 11},
        {R"(<LandXML version="1.2"/>)", 12},
        {R"(<LandXML version='1.1'/>)", 11},
        {R"(<?xml version="1.0" encoding="windows-1251"?><LandXML version="1.1"/>)", 11},
        {R"(<LandXML version="1&#46;0"/>)", 10}, // compared after references are replaced
        {R"(<LandXML other="x" version="1.1" version="1.0"/>)", 11}, // the first one counts
        {R"(<?xml version="1.0"?><LandXML/>)", 12},                  // not the declaration's
        {R"(<LandXML/>)", 12},
        {R"(<LandXML Version="1.0"/>)", 12},
        {R"(<LandXML version=" 1.0"/>)", 12},
        {R"(<LandXML version="1.0 "/>)", 12},
        {R"(<LandXML version=" 1.2"/>)", 12},
        {R"(<LandXML version="1.20"/>)", 12},
        {R"(<LandXML version="1.00"/>)", 12},
        {R"(<LandXML version="1.1x"/>)", 12},
        {R"(<LandXML version="1.3"/>)", 12},
        {R"(<LandXML version=""/>)", 12},
    };
    for (const auto& [document, version] : rows)
    {
        const Parsed parsed = Parse(document);
        EXPECT_EQ(parsed.version, version) << document;
        EXPECT_EQ(parsed.sinkCalls, kImported) << document;
    }
}

TEST(ParseDocument, OnlyTheFirstDeclarationsEncodingChoosesTheCodePage)
{
    // The byte C0 is a letter in Windows-1251 and in ISO-8859-1, and malformed as UTF-8.
    const std::string ansi = "\u0410";
    const std::string latin1 = "\u00C0";
    const std::string utf8 = "\uFFFD";
    const std::pair<std::string, std::string> rows[] = {
        {R"(<?xml version="1.0" encoding="windows-1251"?><LandXML/>)", ansi},
        {R"(<?XML version="1.0" encoding="cp1251"?><LandXML/>)", ansi},
        {R"(<?xml version="1.0" encoding="ISO-8859-1"?><LandXML/>)", latin1},
        {R"(<LandXML/>)", utf8},
        {R"(<?xml version="1.0"?><LandXML/>)", utf8},
        {R"(<?xml version="1.0" Encoding="cp1251"?><LandXML/>)", utf8},
        {R"(<?xml version="1.0"?><?xml version="1.0" encoding="windows-1251"?><LandXML/>)", utf8},
        {R"(<?xml encoding="UTF-8"?><?xml encoding="windows-1251"?><LandXML/>)", utf8},
        {R"(<?xml encoding="latin1" encoding="cp1251"?><LandXML/>)", latin1},
        {R"(<!-- first --><?xml version="1.0" encoding="cp1252"?><LandXML/>)", ansi},
        {R"(<LandXML/><?xml version="1.0" encoding="cp1252"?>)", ansi},
        {R"(<Other><?xml version="1.0" encoding="cp1251"?></Other><LandXML/>)", utf8},
        // Letters beside the code page's number do not hide it.
        {"<?xml version=\"1.0\" encoding=\"\xD0\x90-1251\"?><LandXML/>", ansi},
    };
    const std::string root = "<LandXML/>";
    for (auto [document, name] : rows)
    {
        document.replace(document.find(root), root.size(),
                         "<LandXML><CgPoints><CgPoint name=\"\xC0\">1 2 3</CgPoint></CgPoints>"
                         "</LandXML>");
        const Lines points =
            Testing::LinesStartingWith(Testing::ImportDocument(document), "AddPoint(");
        EXPECT_EQ(points, Lines{"AddPoint(\"" + name + "\")"}) << document;
    }
}

TEST(ParseDocument, MalformedFilesAndMissingRootsAreFormatErrors)
{
    const struct
    {
        const char* name;
        std::string document;
        Lines expected;
    } rows[] = {
        {"UTF-16 little-endian", "\xFF\xFE<\0L\0/\0>\0"s, kNoRoot},
        {"UTF-16 big-endian", "\xFE\xFF\0<\0L\0/\0>"s, kNoRoot},
        {"UTF-16, text after the root", "\xFF\xFE<\0L\0/\0>\0x\0"s, kMalformed},
        {"UTF-16, half a unit after the root", "\xFF\xFE<\0L\0/\0>\0\n"s, kMalformed},
        {"UTF-16, zero unit after the root", "\xFF\xFE<\0L\0/\0>\0\0\0x\0"s, kNoRoot},
        {"UTF-16 without a mark or <?xml", "<\0L\0/\0>\0"s, kMalformed},
        {"text before the root", "text<LandXML/>", kMalformed},
        {"text after the root", "<LandXML/>text", kMalformed},
        {"vertical tab is not white space", "\v<LandXML/>", kMalformed},
        {"unclosed element", "<LandXML><Units>", kMalformed},
        {"reference above U+10FFFF", R"(<LandXML a="&#x110000;"/>)", kMalformed},
        {"root in lower case", "<landxml/>", kNoRoot},
        {"root with a prefix", R"(<lx:LandXML xmlns:lx="urn:x"/>)", kNoRoot},
        {"only a declaration", R"(<?xml version="1.0"?>)", kNoRoot},
        {"closing tag of another name", "<LandXML><Units></Unitz></LandXML>", kImported},
        {"another element before the root", "<Other><LandXML/></Other><LandXML/>", kImported},
        {"everything allowed around the root",
         "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n\t <!-- <x> --><?pi <y>?>"
         "<!DOCTYPE LandXML [<!ELEMENT LandXML ANY>]>\n<LandXML/>\n<!-- end -->\n",
         kImported},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Parse(row.document).sinkCalls, row.expected) << row.name;
}

TEST(ParseDocument, ARootAfterAnotherTopLevelElementIsImported)
{
    // A LandXML element inside another one is not the root.
    const Parsed parsed =
        Parse(R"(<Other><LandXML version="1.0"/></Other><LandXML version="1.1"/>)");
    EXPECT_EQ(parsed.version, 11);
    EXPECT_EQ(parsed.sinkCalls, kImported);
}

TEST(ParseDocument, AByteOrderMarkParsesLikeTheSameFileWithoutIt)
{
    const std::string document =
        "<?xml version=\"1.0\" encoding=\"cp1251\"?>\n<LandXML version=\"1.0\">"
        "<CgPoints><CgPoint name=\"\xCF\">1 2 3</CgPoint></CgPoints></LandXML>";
    const Lines withMark = Testing::ImportDocument("\xEF\xBB\xBF" + document);
    EXPECT_EQ(withMark, Testing::ImportDocument(document));
    EXPECT_EQ(Parse("\xEF\xBB\xBF" + document).version, 10);
    EXPECT_NE(std::find(withMark.begin(), withMark.end(), R"(AddPoint("П"))"), withMark.end());
}

// Elements nested depth levels deep, the root included, each with content.
std::string Nested(std::size_t depth)
{
    std::string document = "<LandXML version=\"1.1\">";
    for (std::size_t level = 1; level < depth; ++level)
        document += "<e>";
    for (std::size_t level = 1; level < depth; ++level)
        document += "</e>";
    return document + "</LandXML>";
}

TEST(ParseDocument, NestingBeyondTheLimitIsMalformedBeforeAnyProgress)
{
    const Parsed atLimit = Parse(Nested(kMaxElementDepth));
    EXPECT_EQ(atLimit.sinkCalls, kImported);
    EXPECT_EQ(atLimit.version, 11);
    EXPECT_EQ(Parse(Nested(kMaxElementDepth + 1)).sinkCalls, kMalformed);
    EXPECT_EQ(Parse(Nested(200000)).sinkCalls, kMalformed);
}

} // namespace
