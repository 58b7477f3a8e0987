// The summary's checks, each on a host's record and the probe's reading of a small document:
// one table per check, whose rows find its problem (how many, the first example's lines, every
// example's text and a key fact of the reason) or, in their twins, nothing of any check.

#include "tools/landxml-probe/Checks.h"
#include "tests/tools/landxml-probe/PlayedImport.h"
#include "tools/host/Files.h"

#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

using ProbeTesting::PlayedImport;
using ProbeTesting::Sight;
using Play = std::function<void(PlayedImport&)>;

struct Case
{
    const char* name;
    std::string document;
    Play play;                 // the calls the plug-in makes for the document
    int count;                 // 0: no check finds anything
    std::string lines = "";    // of the first example, "5, 6"
    std::string examples = ""; // every example's text, "; " between them
    std::string reason = "";   // a part of the reason
    Probe::CheckOptions options = {};
};

std::string Named(const std::vector<Probe::Finding>& findings)
{
    std::string names;
    for (const Probe::Finding& finding : findings)
        names += " " + finding.check;
    return names;
}

std::vector<Probe::Finding> Findings(const std::vector<Host::Call>& calls, std::size_t first,
                                     std::size_t last, const std::string& document,
                                     const Probe::CheckOptions& options)
{
    const Host::TempFolder folder;
    const Probe::DocumentContents contents =
        Probe::ReadDocumentContents(folder.Write("document.xml", document));
    EXPECT_TRUE(contents.read);
    return Probe::RunChecks(calls, first, last, contents, options).findings;
}

void CheckTable(const std::string& check, const std::vector<Case>& cases)
{
    for (const Case& row : cases)
    {
        PlayedImport import;
        row.play(import);
        const std::vector<Probe::Finding> findings =
            Findings(import.Calls(), 0, import.Calls().size(), row.document, row.options);
        if (row.count == 0)
        {
            EXPECT_EQ(Named(findings), "") << row.name;
            continue;
        }
        ASSERT_EQ(Named(findings), " " + check) << row.name;
        const Probe::Finding& finding = findings.front();
        std::string lines;
        for (const int line : finding.examples.at(0).lines)
            lines += (lines.empty() ? "" : ", ") + std::to_string(line);
        std::string examples;
        for (const Probe::CheckExample& example : finding.examples)
            examples += (examples.empty() ? "" : "; ") + example.text;
        EXPECT_EQ(finding.count, row.count) << row.name;
        EXPECT_EQ(lines, row.lines) << row.name;
        EXPECT_EQ(examples, row.examples) << row.name;
        EXPECT_NE(finding.reason.find(row.reason), std::string::npos)
            << row.name << ": " << finding.reason;
    }
}

std::string LandXml(const std::string& body)
{
    return "<LandXML version=\"1.2\">\n" + body + "</LandXML>\n";
}

// Two points, S1 and P1, and one setup on S1 that holds observations of P1 (their attributes),
// one a line from line 5; then the extension's line, if any.
std::string SurveyDocument(
    const std::vector<std::string>& observations, const std::string& extension = "",
    const std::string& units = R"(<Metric linearUnit="meter" angularUnit="decimal dd.mm.ss"/>)")
{
    std::string text =
        "<Units>" + units + "</Units>\n" +
        R"(<CgPoints><CgPoint name="S1">1000 2000 100</CgPoint>)" +
        R"(<CgPoint name="P1">1010 2000 100</CgPoint></CgPoints>)" + "\n" +
        R"(<Survey><InstrumentSetup id="1" stationName="S1" instrumentHeight="1.5">)" + "\n";
    for (const std::string& observation : observations)
        text += "<RawObservation " + observation + "><TargetPoint name=\"P1\"/></RawObservation>\n";
    return LandXml(text + "</InstrumentSetup></Survey>\n" + extension);
}

// What the plug-in sends of that document: the points (the last first), the station and the
// sights; an extension number is handed to the parser before and after, in its two passes.
Play Survey(const std::vector<Sight>& sights, const char* extensionNumber = nullptr)
{
    return [=](PlayedImport& import)
    {
        if (extensionNumber != nullptr)
            import.Parse(import.distance, extensionNumber);
        import.Point("P1", "1010", "2000", "100");
        import.Point("S1", "1000", "2000", "100");
        import.Station("S1", "1.5");
        for (const Sight& sight : sights)
            import.Observation(sight);
        if (extensionNumber != nullptr)
            import.Parse(import.distance, extensionNumber);
    };
}

TEST(Checks, UnitsNotConverted)
{
    const auto imperial = [](const char* linear) {
        return std::string("<Imperial linearUnit=\"") + linear +
               "\" temperatureUnit=\"fahrenheit\"/>";
    };
    const std::string temperature =
        "<HexagonLandXML><Survey><TPSCorrection dryTemperature=\"68.0\"/></Survey>"
        "</HexagonLandXML>\n";
    const Play withTemperature = [](PlayedImport& import)
    {
        import.Parse(import.temperature, "68.0");
        Survey({})(import);
    };
    CheckTable("unitsNotConverted",
               {{"feet and Fahrenheit, numbers in both read",
                 SurveyDocument({}, temperature, imperial("feet")), withTemperature, 2, "2",
                 "linearUnit \"feet\": 7 numbers read as metres; temperatureUnit \"fahrenheit\": 1 "
                 "number read as the host's own unit",
                 "cannot convert numbers in these units"},
                {"US survey feet, converted; Fahrenheit, but no temperature read",
                 SurveyDocument({}, "", imperial("USSurveyFoot")), Survey({}), 0}});
}

std::string Points(const std::string& points)
{
    return LandXml("<CgPoints>\n" + points + "</CgPoints>\n");
}

// The points as the plug-in sends them: name, northing, easting, elevation (null: none).
Play Sent(const std::vector<std::array<const char*, 4>>& points)
{
    return [=](PlayedImport& import)
    {
        for (const auto& [name, north, east, up] : points)
            import.Point(name, north, east, up);
    };
}

TEST(Checks, OneNameTwoPositions)
{
    const std::string p1 = R"(<CgPoint name="P1">1010 2000 100</CgPoint>)";
    const std::string twoNames = p1 +
                                 "\n<CgPoint name=\"P2\">1020.000 2000.000 100.500</CgPoint>\n" +
                                 "<CgPoint name=\"P1\">1012 2000 100</CgPoint>\n" +
                                 "<CgPoint name=\"P2\">1020.300 2000.400 100.500</CgPoint>\n";
    CheckTable(
        "oneNameTwoPositions",
        {{"two names at two positions each, the larger distance in the reason", Points(twoNames),
          Sent({{"P2", "1020.300", "2000.400", "100.500"},
                {"P1", "1012", "2000", "100"},
                {"P2", "1020.000", "2000.000", "100.500"},
                {"P1", "1010", "2000", "100"}}),
          2, "3, 5", "P1, 2.000 apart; P2, 0.500 apart", "up to 2.000 apart"},
         {"apart in height only, on one line",
          Points(p1 + R"(<CgPoint name="P1">1010 2000 101.7</CgPoint>)" + "\n"),
          Sent({{"P1", "1010", "2000", "101.7"}, {"P1", "1010", "2000", "100"}}), 1, "3",
          "P1, 1.700 apart", "up to 1.700 apart"},
         {"the same position twice, and once none",
          Points(p1 + "<CgPoint name=\"P1\"/>\n" + p1 + "\n"),
          Sent({{"P1", "1010", "2000", "100"}, {"P1"}, {"P1", "1010", "2000", "100"}}), 0}});
}

TEST(Checks, StationsWithoutPosition)
{
    const Play announced = [](PlayedImport& import)
    {
        Sent({{"S2"}, {"S1", "1000", "2000", "100"}})(import);
        for (const char* station : {"S1", "S2", "S9"})
            import.Station(station, "1.5");
    };
    std::string setups;
    for (const char* station : {"S1", "S2", "S9"})
        setups += std::string("<InstrumentSetup id=\"") + station + "\" stationName=\"" + station +
                  "\" instrumentHeight=\"1.5\"/>\n";
    CheckTable("stationsWithoutPosition",
               {{"a station of no point, and one of a point without coordinates",
                 LandXml("<CgPoints><CgPoint name=\"S1\">1000 2000 100</CgPoint>"
                         "<CgPoint name=\"S2\"/></CgPoints>\n<Survey>\n" +
                         setups + "</Survey>\n"),
                 announced, 2, "5", "S2; S9", "cannot place these stations"},
                {"a station at a point with coordinates", SurveyDocument({}), Survey({}), 0}});
}

// Groups o1 (two observations of P1) and o2 (one of S1) between setups on S1 and P1, which they
// find when read before them with the ids 1 and 2 (a LandXML 1.2 group's id without its "o").
std::string Groups(const char* first, const char* second, bool setupsFirst = true)
{
    const std::string setups = std::string("<InstrumentSetup id=\"") + first +
                               "\" stationName=\"S1\"/>\n<InstrumentSetup id=\"" + second +
                               "\" stationName=\"P1\"/>\n";
    const std::string sight = "<RawObservation><TargetPoint name=\"P1\"/></RawObservation>\n";
    return LandXml("<CgPoints><CgPoint name=\"S1\">1000 2000 100</CgPoint>"
                   "<CgPoint name=\"P1\">1010 2000 100</CgPoint></CgPoints>\n<Survey>\n" +
                   (setupsFirst ? setups : "") + "<ObservationGroup id=\"o1\">\n" + sight + sight +
                   "</ObservationGroup>\n<ObservationGroup id=\"o2\">"
                   "<RawObservation><TargetPoint name=\"S1\"/></RawObservation>"
                   "</ObservationGroup>\n" +
                   (setupsFirst ? "" : setups) + "</Survey>\n");
}

TEST(Checks, ObservationsWithoutStation)
{
    // The calls of the groups' document after its points, in order: a name after "@" a station
    // announced (by a setup, or again by a group that finds one), any other an observation's
    // target.
    const auto play = [](std::vector<const char*> order)
    {
        return [=](PlayedImport& import)
        {
            Sent({{"P1", "1010", "2000", "100"}, {"S1", "1000", "2000", "100"}})(import);
            for (const std::string step : order)
                if (step[0] == '@')
                    import.Station(step.c_str() + 1);
                else
                    import.Observation({step.c_str()});
        };
    };
    CheckTable(
        "observationsWithoutStation",
        {{"groups whose ids find no setup: their observations go to the station before",
          Groups("setup1", "setup2"), play({"@S1", "@P1", "P1", "P1", "S1"}), 3, "6",
          "group o1 finds no setup with id 1; its 2 observations go to station P1; group o2 finds "
          "no setup with id 2; its observation goes to station P1",
          "attaches them to the station announced before them"},
         {"groups before the setups of their ids: no station at all", Groups("1", "2", false),
          play({"P1", "P1", "S1", "@S1", "@P1"}), 3, "4",
          "group o1 finds no setup with id 1; its 2 observations go to no station; group o2 finds "
          "no setup with id 2; its observation goes to no station",
          "or to none"},
         {"groups that find their setups", Groups("1", "2"),
          play({"@S1", "@P1", "@S1", "P1", "P1", "@P1", "S1"}), 0}});
}

TEST(Checks, NumbersNotRead)
{
    const Play rejected = [](PlayedImport& import)
    {
        Sent({{"P1", "1010,5", "2000", "100"}, {"S1", "1000", "2000", "100"}})(import);
        import.Station("S1", "1,5");
        import.Observation({"P1", 0, nullptr, nullptr, "10,012", nullptr, "1,3"});
    };
    const Play extension = [](PlayedImport& import)
    {
        import.Parse(import.pressure, "x");
        import.Parse(import.distance, "0,0344");
        import.Parse(import.distance, "0,0344");
    };
    CheckTable(
        "numbersNotRead",
        {{"a coordinate, an instrument height, a target height and a slope distance",
          LandXml("<CgPoints><CgPoint name=\"S1\">1000 2000 100</CgPoint>\n"
                  "<CgPoint name=\"P1\">1010,5 2000 100</CgPoint></CgPoints>\n"
                  "<Survey><InstrumentSetup id=\"1\" stationName=\"S1\" instrumentHeight=\"1,5\">\n"
                  "<RawObservation targetHeight=\"1,3\" slopeDistance=\"10,012\">"
                  "<TargetPoint name=\"P1\"/></RawObservation>\n</InstrumentSetup></Survey>\n"),
          rejected, 4, "3",
          "\"1010,5\" in the coordinates of P1; \"1,5\" in instrumentHeight; \"1,3\" in "
          "targetHeight; \"10,012\" in slopeDistance",
          "the host's parser rejected these texts"},
         {"a constant handed over in both passes, trimmed, named once; a text not held, last",
          LandXml("<HexagonLandXML><Survey><InstrumentSetup uniqueID=\"1\">\n"
                  "<RawObservation targetPntRef=\"P1\" reflectorConstant=\" 0,0344 \"/>\n"
                  "</InstrumentSetup></Survey></HexagonLandXML>\n"),
          extension, 2, "3", "\"0,0344\" in reflectorConstant; \"x\" read by the pressure parser",
          "sent nothing for them"},
         {"every number read", SurveyDocument({R"(targetHeight="1.3" slopeDistance="10.012")"}),
          Survey({{"P1", 0, nullptr, nullptr, "10.012", nullptr, "1.3"}}), 0}});
}

TEST(Checks, FacePairs)
{
    const auto face = [](const char* direct, const char* horizontal, const char* zenith)
    {
        return std::string("directFace=\"") + direct + "\" horizAngle=\"" + horizontal +
               "\" zenithAngle=\"" + zenith + "\"";
    };
    const std::string direct = face("true", "0.0000", "87.0000");
    const std::string reverse = face("false", "180.0135", "273.0000");
    const std::string reverse30 = face("false", "180.0030", "272.5950");
    const Sight sight{"P1", 0, "0.00.00.", "87.00.00."};
    const Sight reverseSight{"P1", 1, "180.01.35.", "273.00.00."};
    const Sight reverse30Sight{"P1", 1, "180.00.30.", "272.59.50."};
    const Probe::CheckOptions tolerance20{20, false};
    CheckTable(
        "facePairs",
        {{"horizontal angles 95\" off 180 degrees", SurveyDocument({direct, reverse}),
          Survey({sight, reverseSight}), 1, "5, 6", "P1 from S1: horizontal 95\", zenith 0.0\"",
          "disagree by more than 60\""},
         {"the reverse face first", SurveyDocument({reverse, direct}),
          Survey({reverseSight, sight}), 1, "5, 6", "P1 from S1: horizontal 95\", zenith 0.0\"",
          "disagree by more than 60\""},
         {"zenith angles 120\" off 360 degrees",
          SurveyDocument({direct, face("false", "180", "273.0200")}),
          Survey({sight, {"P1", 1, "180.00.00.", "273.02.00."}}), 1, "5, 6",
          "P1 from S1: horizontal 0.0\", zenith 120\"", "zenith angles not adding up to 360"},
         {"30\" and 10\" apart, beyond a tolerance of 20\"", SurveyDocument({direct, reverse30}),
          Survey({sight, reverse30Sight}), 1, "5, 6", "P1 from S1: horizontal 30\", zenith 10\"",
          "disagree by more than 20\"", tolerance20},
         {"30\" and 10\" apart, within the default tolerance", SurveyDocument({direct, reverse30}),
          Survey({sight, reverse30Sight}), 0},
         {"both on one face", SurveyDocument({direct, face("true", "180.0135", "273.0000")}),
          Survey({sight, {"P1", 0, "180.01.35.", "273.00.00."}}), 0}});
}

TEST(Checks, PrismConstantsNotApplied)
{
    const auto constant = [](const char* value)
    {
        return std::string("<HexagonLandXML><Survey><InstrumentSetup uniqueID=\"1\">") +
               "<RawObservation targetPntRef=\"P1\" reflectorConstant=\"" + value +
               "\"/></InstrumentSetup></Survey></HexagonLandXML>\n";
    };
    const std::string distance = R"(directFace="true" slopeDistance="10.012")";
    const Sight measured{"P1", 0, nullptr, nullptr, "10.012"};
    const Probe::CheckOptions off{60, true};
    CheckTable("prismConstantsNotApplied",
               {{"the setting off: two distances without the target's constant",
                 SurveyDocument({distance, distance}, constant("0.0344")),
                 Survey({measured, measured}, "0.0344"), 1, "8",
                 "P1: 0.0344 left out of 2 distances", "ConsiderPrismConstant is off", off},
                {"the setting on", SurveyDocument({distance, distance}, constant("0.0344")),
                 Survey({measured, measured}, "0.0344"), 0},
                {"the setting off, a constant of 0",
                 SurveyDocument({distance, distance}, constant("0.0000")),
                 Survey({measured, measured}, "0.0000"), 0, "", "", "", off},
                {"the setting off, no distance to the target",
                 SurveyDocument({"", ""}, constant("0.0344")), Survey({{"P1"}, {"P1"}}, "0.0344"),
                 0, "", "", "", off}});
}

TEST(Checks, ObservationTimesNotSent)
{
    const auto stamp = [](const char* time) { return std::string("timeStamp=\"") + time + "\""; };
    const Sight garbled{"P1", 0, nullptr, nullptr, nullptr, "20260702 09:14:03"};
    CheckTable("observationTimesNotSent",
               {{"a time with its zone, dropped",
                 SurveyDocument({stamp("2026-07-02T09:14:03+03:00")}), Survey({{"P1"}}), 1, "5",
                 "\"2026-07-02T09:14:03+03:00\"", "the host has no time for these"},
                {"a date alone, dropped", SurveyDocument({stamp("2026-07-02")}), Survey({{"P1"}}),
                 1, "5", "\"2026-07-02\"", "the host has no time for these"},
                {"19 characters of another form, sent garbled",
                 SurveyDocument({stamp("2026-07-02 09:14:03")}), Survey({garbled}), 1, "5",
                 "\"2026-07-02 09:14:03\" (sent as \"20260702 09:14:03\")",
                 "the host has no time, or a garbled one, for these"},
                {"YYYY-MM-DDThh:mm:ss", SurveyDocument({stamp("2026-07-02T09:14:03")}),
                 Survey({garbled}), 0}});
}

// A record of two files: each file's checks see its own calls only, so a name the first gave at
// one position and the second at another is no point at two positions.
TEST(Checks, OneFileOfTheRecordOnly)
{
    PlayedImport first;
    Survey({})(first);
    PlayedImport second;
    Sent({{"P1", "1010", "2001", "100"}, {"S1", "1000", "2000", "100"}})(second);
    std::vector<Host::Call> calls = first.Calls();
    calls.insert(calls.end(), second.Calls().begin(), second.Calls().end());
    const std::size_t split = first.Calls().size();
    EXPECT_EQ(Named(Findings(calls, 0, split, SurveyDocument({}), {})), "");
    EXPECT_EQ(Named(Findings(calls, split, calls.size(), SurveyDocument({}), {})), "");
}

} // namespace
