// Coordinate-geometry points as the host receives them: order, selection by role and name,
// code texts, descriptions, dates and coordinates.

#include "tests/import/ImportLines.h"

#include <gtest/gtest.h>

namespace
{

using Testing::HostData;
using Testing::ImportDocument;
using Testing::ImportOptions;
using Testing::LandXml;
using Testing::LinesStartingWith;
using Lines = std::vector<std::string>;

Lines PointsOf(const std::string& body, const std::string& version = "1.2",
               const ImportOptions& options = {})
{
    return HostData(ImportDocument(LandXml(body, version), options));
}

Lines NamesSent(const Lines& lines)
{
    return LinesStartingWith(lines, "AddPoint(");
}

TEST(CgPoints, SentFromLastToFirst)
{
    const Lines lines = PointsOf("<CgPoints><CgPoint name=\"A\"/><CgPoint name=\"B\"/>"
                                 "<CgPoint name=\"C\"/></CgPoints>");
    EXPECT_EQ(NamesSent(lines), (Lines{"AddPoint(\"C\")", "AddPoint(\"B\")", "AddPoint(\"A\")"}));
}

TEST(CgPoints, RoleAndGpsPhaseRecordSelectPoints)
{
    struct Case
    {
        const char* role;     // nullptr: no role attribute
        const char* subclass; // nullptr: no extension record for the point
        bool sent;
    };
    const Case cases[] = {
        {nullptr, nullptr, true},
        {"measured", nullptr, false},
        {"control point", nullptr, true},
        {"fixed", nullptr, false},
        {"", nullptr, false},
        {"Control Point", nullptr, false},
        {nullptr, "GPS phase", true},
        {"measured", "GPS phase", false},
        {"control point", "GPS phase", true},
        {"fixed", "GPS phase", true},
        {"", "GPS phase", true},
        {"fixed", "TPS", false},
        {"fixed", "gps phase", false},
        {"fixed", "", false},
        {nullptr, "TPS", true},
    };
    for (const Case& c : cases)
    {
        std::string body;
        if (c.subclass != nullptr)
            body += std::string("<HexagonLandXML><Point uniqueID=\"P\" subclass=\"") + c.subclass +
                    "\"><PointCode code=\"G\"/></Point></HexagonLandXML>";
        body += "<CgPoints><CgPoint name=\"P\"";
        if (c.role != nullptr)
            body += std::string(" role=\"") + c.role + "\"";
        body += "/></CgPoints>";
        const Lines sent = NamesSent(PointsOf(body));
        EXPECT_EQ(sent.size(), c.sent ? 1u : 0u)
            << "role " << (c.role ? c.role : "<none>") << ", subclass "
            << (c.subclass ? c.subclass : "<no record>");
    }
}

TEST(CgPoints, ControlPointIsMarkedAfterCodeAndDescriptionBeforeDate)
{
    const Lines lines =
        PointsOf("<CgPoints><CgPoint name=\"K1\" code=\"C\" desc=\"D\" role=\"control point\" "
                 "timeStamp=\"2020-01-02T03:04:05\">1 2 3</CgPoint></CgPoints>");
    EXPECT_EQ(lines, (Lines{"AddPoint(\"K1\")", "SetPointCode(\"C\")",
                            "GetExtension(1) -> \"extension\"", "extension.SetDescription(\"D\")",
                            "SetPlanType(0)", "SetHeightType(0)", "SetDate(\"20200102\")",
                            "SetNorthing(1)", "SetEasting(2)", "SetElevation(3)"}));
}

TEST(CgPoints, OrdinaryPointIsNotMarkedAsControl)
{
    const Lines lines = PointsOf("<CgPoints><CgPoint name=\"P\">1 2 3</CgPoint></CgPoints>");
    EXPECT_TRUE(LinesStartingWith(lines, "SetPlanType").empty());
    EXPECT_TRUE(LinesStartingWith(lines, "SetHeightType").empty());
}

TEST(CgPoints, NamesWithAtSignAreSentOnlyAsControlPoints)
{
    struct Case
    {
        const char* name;
        const char* role;
        const char* sentAs; // nullptr: skipped whole
    };
    const Case cases[] = {
        {"P7@2", "control point", "AddPoint(\"P7\")"},
        {"P7@2@3", "control point", "AddPoint(\"P7\")"},
        {"@5", "control point", "AddPoint(\"\")"},
        {"P7@2", nullptr, nullptr},
        {"P7@2", "measured", nullptr},
        {"P7@2", "fixed", nullptr},
    };
    for (const Case& c : cases)
    {
        std::string body = std::string("<CgPoints><CgPoint name=\"") + c.name + "\" code=\"K\"";
        if (c.role != nullptr)
            body += std::string(" role=\"") + c.role + "\"";
        body += " desc=\"D\" timeStamp=\"2020\">1 2 3</CgPoint></CgPoints>";
        const Lines lines = PointsOf(body);
        if (c.sentAs == nullptr)
        {
            EXPECT_TRUE(lines.empty()) << c.name << ": " << Testing::JoinLines(lines);
        }
        else
        {
            EXPECT_EQ(NamesSent(lines), Lines{c.sentAs}) << c.name;
            EXPECT_EQ(LinesStartingWith(lines, "SetElevation"), Lines{"SetElevation(3)"}) << c.name;
        }
    }
}

TEST(CgPoints, CodeRecordIsLookedUpUnderTheWholeName)
{
    // The extension stores P7's record under the name cut at "@"; the control point P7@2
    // looks for "P7@2" and finds nothing, while P7 finds it.
    const Lines lines =
        PointsOf("<HexagonLandXML><Point uniqueID=\"P7@1\"><PointCode code=\"X\">"
                 "<Attribute name=\"H\" value=\"1\"/></PointCode></Point></HexagonLandXML>"
                 "<CgPoints><CgPoint name=\"P7@2\" code=\"K\" role=\"control point\"/>"
                 "<CgPoint name=\"P7\" code=\"K\"/></CgPoints>");
    EXPECT_EQ(LinesStartingWith(lines, "SetPointCode"),
              (Lines{"SetPointCode(\"K /H=1\")", "SetPointCode(\"K\")"}));
}

TEST(CgPoints, CodeRecordDependsOnVersion)
{
    // In LandXML 1.0 the Feature written just before the point completes its code; later
    // versions take the extension's record.
    const std::string extension =
        "<HexagonLandXML><Point uniqueID=\"P1\"><PointCode code=\"EXT\">"
        "<Attribute name=\"E\" value=\"1\"/><Property name=\"Z\" value=\"9\"/>"
        "<Attribute label=\"L\" value=\"2\"/></PointCode></Point></HexagonLandXML>";
    const std::string feature = "<Feature code=\"F\"><Property name=\"H\" value=\"1.2\"/>"
                                "<Property label=\"M\" value=\"ST\"/><Property name=\"X\"/>"
                                "<Property value=\"Y\"/></Feature>";
    const std::string point = "<CgPoint name=\"P1\" code=\"KERB\"/>";
    struct Case
    {
        const char* version;
        std::string points; // children of CgPoints
        const char* code;
    };
    const Case cases[] = {
        {"1.0", feature + point, "KERB /H=1.2/M=ST"},
        {"1.0", feature + "<!-- comment -->\n  " + point, "KERB /H=1.2/M=ST"},
        {"1.1", feature + point, "KERB /E=1"},
        {"1.2", feature + point, "KERB /E=1"},
        {"1.0", feature + "<CgPoint name=\"Q\"/>" + point, "KERB"},
        {"1.0", point + feature, "KERB"},
        {"1.0", "<Feature><Property name=\"H\" value=\"1.2\"/></Feature>" + point, "KERB"},
        {"1.0", "<Feature code=\"F\"/>" + point, "KERB"},
        {"1.0",
         "<Feature code=\"F\"><Attribute name=\"A\" value=\"1\"/>"
         "<Attribute name=\"B\" value=\"2\"/><Property name=\"H\" value=\"2\"/></Feature>" +
             point,
         "KERB /A=1/H=2"},
        {"1.0", "<NotAFeature code=\"F\"><Property name=\"H\" value=\"1\"/></NotAFeature>" + point,
         "KERB"},
    };
    for (const Case& c : cases)
    {
        const Lines lines =
            PointsOf(extension + "<CgPoints>" + c.points + "</CgPoints>", c.version);
        EXPECT_EQ(Testing::CodesByPoint(lines)["P1"], c.code) << c.version << " " << c.points;
    }
}

TEST(CgPoints, PropertiesCountOnlyInLandXml10)
{
    // From 1.1 on a feature's attributes are "Attribute" elements only.
    for (const char* version : {"1.1", "1.2"})
    {
        const Lines lines =
            PointsOf("<HexagonLandXML><Point uniqueID=\"P1\"><PointCode code=\"EXT\">"
                     "<Property name=\"Z\" value=\"9\"/><Property label=\"Y\" value=\"8\"/>"
                     "</PointCode></Point></HexagonLandXML>"
                     "<CgPoints><CgPoint name=\"P1\" code=\"KERB\"/></CgPoints>",
                     version);
        EXPECT_EQ(Testing::CodesByPoint(lines)["P1"], "KERB") << version;
    }
}

TEST(CgPoints, PointWithoutCodeSendsNoCodeEvenWithRecord)
{
    const Lines lines = PointsOf("<HexagonLandXML><Point uniqueID=\"P1\"><PointCode code=\"EXT\"/>"
                                 "</Point></HexagonLandXML><CgPoints><CgPoint name=\"P1\"/>"
                                 "</CgPoints>");
    EXPECT_EQ(lines, Lines{"AddPoint(\"P1\")"});
}

TEST(CgPoints, DateIsBuiltFromTheTimeStamp)
{
    const std::pair<const char*, const char*> cases[] = {
        {"2021-06-30T14:05:09", "20210630"},
        {"2021-06-30", "20210630"},
        {"2021", "2021"},
        {"2021-06", "202106"},
        {"2021-06-3", "202106"},
        {"2021-0", "2021"},
        {"202", ""},
        {"", ""},
        {"20210630", "202163"}, // without dashes the same places are taken
        {"2021/06/30 extra", "20210630"},
    };
    for (const auto& [stamp, date] : cases)
    {
        const Lines lines = PointsOf(std::string("<CgPoints><CgPoint name=\"P\" timeStamp=\"") +
                                     stamp + "\"/></CgPoints>");
        EXPECT_EQ(LinesStartingWith(lines, "SetDate"),
                  Lines{std::string("SetDate(\"") + date + "\")"})
            << stamp;
    }
    EXPECT_TRUE(LinesStartingWith(PointsOf("<CgPoints><CgPoint name=\"P\"/></CgPoints>"), "SetDate")
                    .empty());
}

TEST(CgPoints, CoordinateTextIsAListOfNumbers)
{
    // Any run of white space separates the values; white space around the list is not part of
    // it. Northing, easting, elevation; a single value is no position.
    struct Case
    {
        const char* text;
        Lines sent;
    };
    const Lines all = {"SetNorthing(100.5)", "SetEasting(200.25)", "SetElevation(15.75)"};
    const Lines two = {"SetNorthing(100.5)", "SetEasting(200.25)"};
    const Case cases[] = {
        {"100.5 200.25 15.75", all}, // the last value runs to the end and is kept whole
        {"100.5 200.25 15.75 ", all},
        {"100.5 200.25 15.75\n", all},
        {"100.5 200.25 15.75\r\n", all},
        {"100.5 200.25 15.75  ", all},
        {"\r\n100.5 200.25 15.75", all},           // a line break before the text
        {"\n      100.5 200.25 15.75\n    ", all}, // an indented text
        {"100.5\t200.25\t15.75", all},
        {"100.5  200.25   15.75", all},
        {"100.5\n200.25\r\n15.75", all},
        {"100.5 200.25 15.75 9", all}, // further values are not read
        {"100.5 200.25", two},
        {"100.5 200.25\n", two},
        {" 100.5 200.25", two},
        {"100.5  200.25", two},
        {"100.5", {}},
        {"100.5 ", {}},
        {"\t100.5\n", {}},
        {"", {}},
        {" \r\n\t ", {}},
        {"x 200.25 15.75", {"SetEasting(200.25)", "SetElevation(15.75)"}},
        {"519.659 465.244 -0.588",
         {"SetNorthing(519.659)", "SetEasting(465.244)", "SetElevation(-0.588)"}},
    };
    for (const Case& c : cases)
    {
        const Lines lines = PointsOf(std::string("<CgPoints><CgPoint name=\"P\">") + c.text +
                                     "</CgPoint></CgPoints>");
        Lines sent;
        for (const std::string& line : lines)
            if (line.rfind("Set", 0) == 0)
                sent.push_back(line);
        EXPECT_EQ(sent, c.sent) << "text \"" << c.text << "\"";
    }
}

TEST(CgPoints, DescriptionNeedsTheHostsPointExtension)
{
    struct Case
    {
        bool desc;
        bool extension;
        Lines expected;
    };
    const Case cases[] = {
        {true,
         true,
         {"AddPoint(\"P\")", "GetExtension(1) -> \"extension\"",
          "extension.SetDescription(\"Kerb stone\")"}},
        {true, false, {"AddPoint(\"P\")", "GetExtension(1) -> null"}},
        {false, true, {"AddPoint(\"P\")"}},
    };
    for (const Case& c : cases)
    {
        ImportOptions options;
        options.host.pointExtension = c.extension;
        const std::string point =
            c.desc ? "<CgPoint name=\"P\" desc=\"Kerb stone\"/>" : "<CgPoint name=\"P\"/>";
        EXPECT_EQ(PointsOf("<CgPoints>" + point + "</CgPoints>", "1.2", options), c.expected)
            << "desc " << c.desc << ", extension " << c.extension;
    }
}

TEST(CgPoints, CyrillicNamesCodesAndDescriptions)
{
    const Lines lines = PointsOf(
        "<HexagonLandXML><Point uniqueID=\"Точка1@1\"><PointCode code=\"Х\">"
        "<Attribute name=\"Высота\" value=\"1,5\"/></PointCode></Point></HexagonLandXML>"
        "<CgPoints><CgPoint name=\"Точка1\" code=\"Бордюр\" desc=\"Описание\">1 2 3</CgPoint>"
        "</CgPoints>");
    EXPECT_EQ(lines,
              (Lines{"AddPoint(\"Точка1\")", "SetPointCode(\"Бордюр /Высота=1,5\")",
                     "GetExtension(1) -> \"extension\"", "extension.SetDescription(\"Описание\")",
                     "SetNorthing(1)", "SetEasting(2)", "SetElevation(3)"}));
}

TEST(CgPoints, CyrillicNamesInWindows1251Documents)
{
    // "Точка" and "Код" in code page 1251.
    const std::string document =
        Testing::LandXml("<CgPoints><CgPoint name=\"\xD2\xEE\xF7\xEA\xE0\" code=\"\xCA\xEE\xE4\"/>"
                         "</CgPoints>",
                         "1.2", "<?xml version=\"1.0\" encoding=\"windows-1251\"?>");
    EXPECT_EQ(HostData(ImportDocument(document)),
              (Lines{"AddPoint(\"Точка\")", "SetPointCode(\"Код\")"}));
}

TEST(CgPoints, ChildWithoutNameSendsNothing)
{
    const Lines lines =
        PointsOf("<CgPoints><CgPoint code=\"C\" desc=\"D\" role=\"control point\" "
                 "timeStamp=\"2020-01-02\">1 2 3</CgPoint><Feature code=\"F\"/></CgPoints>",
                 "1.0");
    EXPECT_TRUE(lines.empty()) << Testing::JoinLines(lines);
}

TEST(CgPoints, AnyNamedChildIsTakenForAPoint)
{
    // The children's element names are not tested.
    const Lines lines = PointsOf("<CgPoints><Feature name=\"F1\" code=\"F\">4 5 6</Feature>"
                                 "</CgPoints>",
                                 "1.0");
    EXPECT_EQ(lines, (Lines{"AddPoint(\"F1\")", "SetPointCode(\"F\")", "SetNorthing(4)",
                            "SetEasting(5)", "SetElevation(6)"}));
}

} // namespace
