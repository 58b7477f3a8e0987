// Documents from every kind of exporter reach the host as the values they mean: lengths in
// metres whatever the declared linear unit, angles in decimal degrees and gons as the angles they
// are, coordinate lists in any white-space layout, number texts with white space around them.

#include "tests/import/ImportLines.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace
{

using Testing::StartsWith;

// The host calls that carry a number, as (call, number), in the order they were made; an image
// note's angles and distance count as calls of their own ("HA", "VA", "Dist").
using Numbers = std::vector<std::pair<std::string, double>>;

Numbers NumbersSent(const std::vector<std::string>& lines)
{
    static const char* const setters[] = {
        "SetNorthing",     "SetEasting",      "SetElevation",      "SetInstrumentHeight",
        "SetTargetHeight", "SetPressure",     "SetDryTemperature", "SetHorizontalAngle",
        "SetZenithAngle",  "SetSlopeDistance"};
    Numbers numbers;
    for (const std::string& line : Testing::HostData(lines))
    {
        for (const char* setter : setters)
            if (StartsWith(line, std::string(setter) + "("))
                numbers.emplace_back(setter,
                                     std::strtod(line.c_str() + std::strlen(setter) + 1, nullptr));
        if (StartsWith(line, "extension.AddImageNote("))
            for (const char* item : {"HA", "VA", "Dist"})
            {
                const std::size_t at = line.find(std::string(item) + "=");
                numbers.emplace_back(
                    item, std::strtod(line.c_str() + at + std::strlen(item) + 1, nullptr));
            }
    }
    return numbers;
}

void ExpectNumbers(const Numbers& actual, const Numbers& expected, const std::string& name)
{
    ASSERT_EQ(actual.size(), expected.size()) << name;
    for (std::size_t i = 0; i < actual.size(); ++i)
    {
        EXPECT_EQ(actual[i].first, expected[i].first) << name << ", call " << i;
        EXPECT_NEAR(actual[i].second, expected[i].second,
                    1e-9 * std::max(1.0, std::fabs(expected[i].second)))
            << name << ", " << expected[i].first;
    }
}

std::string Point(const std::string& coordinates)
{
    return "<CgPoints><CgPoint name=\"P\">" + coordinates + "</CgPoint></CgPoints>";
}

std::string Units(const std::string& element, const std::string& attributes)
{
    return "<Units><" + element + " " + attributes + "/></Units>";
}

// A setup with an instrument height and one observation with every length and angle, the
// target's reflector constant and the instrument's atmospheric correction from the extension.
std::string Survey(const std::string& instrumentHeight, const std::string& targetHeight,
                   const std::string& distance, const std::string& constant,
                   const std::string& horizontal, const std::string& zenith)
{
    return "<HexagonLandXML><Survey>"
           "<TPSCorrection instrumentDetailsID=\"TS\" atmosphericPPM=\"20\"/>"
           "<InstrumentSetup><RawObservation targetPntRef=\"T\" reflectorConstant=\"" +
           constant +
           "\"/></InstrumentSetup></Survey></HexagonLandXML>"
           "<Survey><InstrumentSetup id=\"1\" stationName=\"S\" instrumentDetailsID=\"TS\" "
           "instrumentHeight=\"" +
           instrumentHeight + "\"><RawObservation targetHeight=\"" + targetHeight +
           "\" horizAngle=\"" + horizontal + "\" zenithAngle=\"" + zenith + "\" slopeDistance=\"" +
           distance + "\"><TargetPoint name=\"T\"/></RawObservation></InstrumentSetup></Survey>";
}

// The host calls of a Survey() observation whose lengths are in metres once scaled.
Numbers SurveyNumbers(double instrumentHeight, double targetHeight, double distance,
                      double constant, double horizontal, double zenith)
{
    return {{"SetInstrumentHeight", instrumentHeight},
            {"SetTargetHeight", targetHeight},
            {"SetHorizontalAngle", horizontal},
            {"SetZenithAngle", zenith},
            {"SetSlopeDistance", (distance + constant) * 1.00002}};
}

constexpr double kFoot = 0.3048;
constexpr double kSurveyFoot = 1200.0 / 3937.0;

TEST(UnitsAndLayouts, EveryDocumentGivesTheHostTheValuesItMeans)
{
    struct Case
    {
        const char* name;
        std::string body;
        Numbers expected;
    };
    const Numbers metres = {{"SetNorthing", 100.0}, {"SetEasting", 200.0}, {"SetElevation", 10.0}};
    const Case cases[] = {
        // Lengths, in every linear unit LandXML names.
        {"metres", Units("Metric", "linearUnit=\"meter\"") + Point("100 200 10"), metres},
        {"no units", Point("100 200 10"), metres},
        {"millimetres", Units("Metric", "linearUnit=\"millimeter\"") + Point("100000 200000 10000"),
         metres},
        {"centimetres", Units("Metric", "linearUnit=\"centimeter\"") + Point("10000 20000 1000"),
         metres},
        {"kilometres", Units("Metric", "linearUnit=\"kilometer\"") + Point("0.1 0.2 0.01"), metres},
        {"feet",
         Units("Imperial", "linearUnit=\"foot\"") + Point("1000 2000 100"),
         {{"SetNorthing", 1000 * kFoot},
          {"SetEasting", 2000 * kFoot},
          {"SetElevation", 100 * kFoot}}},
        {"US survey feet",
         Units("Imperial", "linearUnit=\"USSurveyFoot\"") + Point("3937 7874 -39.37"),
         {{"SetNorthing", 1200.0}, {"SetEasting", 2400.0}, {"SetElevation", -12.0}}},
        {"inches",
         Units("Imperial", "linearUnit=\"inch\"") + Point("1000 2000 100"),
         {{"SetNorthing", 25.4}, {"SetEasting", 50.8}, {"SetElevation", 2.54}}},
        {"miles",
         Units("Imperial", "linearUnit=\"mile\"") + Point("1 0.5 0"),
         {{"SetNorthing", 1609.344}, {"SetEasting", 804.672}, {"SetElevation", 0.0}}},
        // A name the plug-in does not know leaves the lengths as written.
        {"unknown unit", Units("Imperial", "linearUnit=\"feet\"") + Point("100 200 10"), metres},
        // The first Metric or Imperial element counts.
        {"imperial first",
         "<Units><Imperial linearUnit=\"foot\"/><Metric linearUnit=\"meter\"/></Units>" +
             Point("1000 2000 100"),
         {{"SetNorthing", 1000 * kFoot},
          {"SetEasting", 2000 * kFoot},
          {"SetElevation", 100 * kFoot}}},
        // Heights, distances and reflector constants are lengths; the ppm value is a ratio.
        {"survey in feet",
         Units("Imperial", "linearUnit=\"foot\" angularUnit=\"decimal dd.mm.ss\"") +
             Survey("5", "4.5", "328.084", "0.1", "90.0000", "89.3000"),
         SurveyNumbers(5 * kFoot, 4.5 * kFoot, 328.084 * kFoot, 0.1 * kFoot, 90.0, 89.5)},
        {"survey in millimetres",
         Units("Metric", "linearUnit=\"millimeter\" angularUnit=\"radians\"") +
             Survey("1500", "1300", "100000", "-34.4", "1.5707963267948966", "1.5"),
         SurveyNumbers(1.5, 1.3, 100.0, -0.0344, 90.0, 85.94366926962348)},
        // Angles in decimal degrees and gons arrive as the angles they are.
        {"decimal degrees",
         Units("Imperial", "linearUnit=\"USSurveyFoot\" angularUnit=\"decimal degrees\"") +
             Survey("3.937", "0", "393.7", "0", "45.1234", "90.5"),
         SurveyNumbers(1.2, 0, 120.0, 0, 45.1234, 90.5)},
        {"gons",
         Units("Metric", "linearUnit=\"meter\" angularUnit=\"grads\"") +
             Survey("1.5", "1.3", "100", "0", "100.0000", "133.3333"),
         SurveyNumbers(1.5, 1.3, 100.0, 0, 90.0, 119.99997)},
        {"gons of a setup image",
         Units("Metric", "angularUnit=\"grads\"") +
             "<HexagonLandXML><Survey><InstrumentSetup uniqueID=\"1\">"
             "<TPSImage horizAngle=\"300\" zenithAngle=\"50\"><landxml:DocFileRef name=\"I\"/>"
             "</TPSImage></InstrumentSetup></Survey></HexagonLandXML>"
             "<Survey><InstrumentSetup id=\"1\" stationName=\"S\"/></Survey>",
         {{"SetInstrumentHeight", 0.0},
          {"SetInstrumentHeight", 0.0},
          {"HA", 270.0},
          {"VA", 45.0},
          {"Dist", 0.0}}},
        // Coordinate lists in the layouts other exporters write.
        {"line break before", Point("\r\n100 200 10"), metres},
        {"indented", Point("\n      100 200 10\n    "), metres},
        {"tabs", Point("100\t200\t10"), metres},
        {"two blanks", Point("100  200  10"), metres},
        {"line per value", Point("100\r\n200\r\n10\r\n"), metres},
        // Number texts with white space around them; a text of white space only is no number.
        {"padded numbers",
         Units("Metric", "angularUnit=\"decimal dd.mm.ss\"") +
             Survey(" 1.500 ", "\t1.3\n", " 100 ", " 0 ", " 90.0000", "89.3000 "),
         SurveyNumbers(1.5, 1.3, 100.0, 0, 90.0, 89.5)},
        {"blank numbers", Survey(" ", "", "\t", "0", " ", "\n"), {{"SetInstrumentHeight", 0.0}}},
    };
    for (const Case& c : cases)
        ExpectNumbers(NumbersSent(Testing::ImportDocument(Testing::LandXml(c.body))), c.expected,
                      c.name);
}

TEST(UnitsAndLayouts, ParsersSeeNumbersWithoutTheWhiteSpaceAroundThem)
{
    // Every text of this document is blank or padded: the host's parsers see only the ppm value
    // and the reflector constant, which both passes over the extension read.
    const std::vector<std::string> lines = Testing::ImportDocument(
        Testing::LandXml(Survey("  ", "", "\r\n", " 0\t", " ", "\n") + Point(" \t 1 ")));
    std::vector<std::string> parsed;
    for (const std::string& line : lines)
        if (line.find(".Parse(") != std::string::npos)
            parsed.push_back(line.substr(0, line.find(" -> ")));
    const std::vector<std::string> expected = {"distance.Parse(\"20\")", "distance.Parse(\"0\")",
                                               "distance.Parse(\"0\")"};
    EXPECT_EQ(parsed, expected);
}

// A road survey in US survey feet whose coordinate texts each begin with a line break.
TEST(UnitsAndLayouts, RealSurveyFootRoadArrivesInMetres)
{
    const std::filesystem::path file =
        Testing::RealDataFolder() / "carlson2014-1.1-usft-road-tin.xml";
    if (!std::filesystem::exists(file))
        GTEST_SKIP() << "no real sample at " << file.string();
    const std::vector<std::string> calls =
        Testing::HostData(Testing::ImportPaths({file}, file.parent_path()));
    int points = 0;
    int complete = 0;
    Numbers first;
    for (std::size_t i = 0; i < calls.size(); ++i)
    {
        if (!StartsWith(calls[i], "AddPoint("))
            continue;
        ++points;
        Numbers coordinates;
        for (std::size_t j = i + 1; j < calls.size() && !StartsWith(calls[j], "AddPoint("); ++j)
            for (const auto& number : NumbersSent({calls[j]}))
                coordinates.push_back(number);
        complete += coordinates.size() == 3 && coordinates[0].first == "SetNorthing" &&
                    coordinates[1].first == "SetEasting" && coordinates[2].first == "SetElevation";
        if (calls[i] == "AddPoint(\"1000\")")
            first = coordinates;
    }
    EXPECT_EQ(points, 1731);
    EXPECT_EQ(complete, 1731);
    // <CgPoint name="1000" desc="MB / PO2000">CR LF 3932131.534 5375759.875 950.426309</CgPoint>
    ExpectNumbers(first,
                  {{"SetNorthing", 3932131.534 * kSurveyFoot},
                   {"SetEasting", 5375759.875 * kSurveyFoot},
                   {"SetElevation", 950.426309 * kSurveyFoot}},
                  "point 1000");
}

} // namespace
