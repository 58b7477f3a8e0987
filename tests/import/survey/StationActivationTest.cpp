// Instrument setups, observation groups and the station activation that precedes observations.

#include "tests/import/survey/SurveyLines.h"

#include <gtest/gtest.h>

namespace
{

using SurveyTesting::SurveyDocument;
using Lines = std::vector<std::string>;

// The host's data calls between the units and the end of the file.
Lines SurveyCalls(const std::string& document)
{
    Lines calls;
    for (const std::string& line : Testing::SinkCalls(Testing::ImportDocument(document)))
        if (!SurveyTesting::Begins(line, "BeginFile(") &&
            !SurveyTesting::Begins(line, "SetProgress("))
            calls.push_back(line);
    return calls;
}

TEST(StationActivation, MissingOrRejectedInstrumentHeightIsSentAsZero)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "0"},
        {" instrumentHeight=\"\"", "0"},
        {" instrumentHeight=\"1,55\"", "0"},
        {" instrumentHeight=\"high\"", "0"},
        {" instrumentHeight=\"1.55\"", "1.55"},
        {" instrumentHeight=\"-0.25\"", "-0.25"},
        {" instrumentHeight=\"1.55\" instrumentHeight=\"2\"", "1.55"},
    };
    for (const auto& [attributes, height] : cases)
    {
        const std::string survey =
            std::string("<InstrumentSetup id=\"1\" stationName=\"ST1\"") + attributes + "/>";
        const Lines expected = {"SetStation(\"ST1\")",
                                std::string("SetInstrumentHeight(") + height + ")"};
        EXPECT_EQ(SurveyCalls(SurveyDocument("", survey)), expected) << attributes;
    }
}

TEST(StationActivation, SetupWithoutStationNameOrIdIsIgnoredWithItsObservations)
{
    const char* const setups[] = {
        "<InstrumentSetup id=\"1\" instrumentHeight=\"1.5\">",
        "<InstrumentSetup stationName=\"ST1\" instrumentHeight=\"1.5\">",
        "<InstrumentSetup ID=\"1\" stationname=\"ST1\" instrumentHeight=\"1.5\">",
    };
    for (const char* setup : setups)
    {
        const std::string survey =
            std::string(setup) +
            "<RawObservation slopeDistance=\"10\"><TargetPoint name=\"P\"/></RawObservation>"
            "</InstrumentSetup><ObservationGroup id=\"o1\"><RawObservation slopeDistance=\"11\">"
            "<TargetPoint name=\"Q\"/></RawObservation></ObservationGroup>";
        const Lines lines = Testing::ImportDocument(SurveyDocument("", survey));
        // Nothing of the setup is parsed or sent; the group's observation comes without station.
        const Lines expected = {"distance.Parse(\"11\") -> 11"};
        EXPECT_EQ(Testing::LinesStartingWith(lines, "distance.Parse("), expected) << setup;
        EXPECT_EQ(Testing::LinesStartingWith(lines, "SetStation("), Lines{}) << setup;
        EXPECT_EQ(Testing::LinesStartingWith(lines, "SetTargetPoint("),
                  Lines{"SetTargetPoint(\"Q\")"})
            << setup;
    }
}

TEST(StationActivation, EmptyStationNameAndIdAreStillUsable)
{
    const std::string survey =
        "<InstrumentSetup id=\"\" stationName=\"\" instrumentHeight=\"1.5\"/>"
        "<ObservationGroup id=\"\"><RawObservation><TargetPoint name=\"P\"/></RawObservation>"
        "</ObservationGroup>";
    const Lines expected = {"SetStation(\"\")",      "SetInstrumentHeight(1.5)",
                            "SetStation(\"\")",      "SetInstrumentHeight(1.5)",
                            "SetTargetPoint(\"P\")", "GetExtension(2) -> \"extension\""};
    EXPECT_EQ(SurveyCalls(SurveyDocument("", survey)), expected);
}

TEST(StationActivation, GroupFindsItsSetupByIdInLandXml12Only)
{
    struct Case
    {
        const char* version;
        const char* setupId;
        const char* groupId;
        bool activated; // the group's observation follows a second activation of the station
    };
    const Case cases[] = {
        {"1.2", "1", "o1", true},     {"1.2", "1", "1", true},    {"1.2", "1", "O1", false},
        {"1.2", "1", "oo1", false},   {"1.2", "o", "o", true},    {"1.2", "1", "o", false},
        {"1.2", "oak", "ooak", true}, {"1.2", "17", "o17", true}, {"1.2", "1", "o2", false},
        {"1.1", "1", "o1", false},    {"1.1", "1", "1", false},   {"1.0", "1", "1", false},
    };
    for (const Case& test : cases)
    {
        const std::string survey =
            std::string("<InstrumentSetup id=\"") + test.setupId +
            "\" stationName=\"ST\" instrumentHeight=\"1.5\"/><ObservationGroup id=\"" +
            test.groupId +
            "\"><RawObservation><TargetPoint name=\"P\"/></RawObservation></ObservationGroup>";
        Lines expected;
        // A setup id that loses its leading "o" in LandXML 1.2 activates nothing when read.
        const bool setupFound = std::string(test.version) != "1.2" || test.setupId[0] != 'o' ||
                                std::string(test.setupId) == "o";
        if (setupFound)
            expected = {"SetStation(\"ST\")", "SetInstrumentHeight(1.5)"};
        if (test.activated)
        {
            expected.push_back("SetStation(\"ST\")");
            expected.push_back("SetInstrumentHeight(1.5)");
        }
        const bool groupRead = std::string(test.version) == "1.2";
        if (groupRead)
        {
            expected.push_back("SetTargetPoint(\"P\")");
            expected.push_back("GetExtension(2) -> \"extension\"");
        }
        EXPECT_EQ(SurveyCalls(SurveyDocument("", survey, test.version)), expected)
            << "LandXML " << test.version << ", setup " << test.setupId << ", group "
            << test.groupId;
    }
}

TEST(StationActivation, RepeatedSetupIdAnnouncesTheFirstStation)
{
    const std::string survey =
        "<InstrumentSetup id=\"1\" stationName=\"FIRST\" instrumentHeight=\"1.5\" "
        "instrumentDetailsID=\"TS1\"/>"
        "<InstrumentSetup id=\"1\" stationName=\"SECOND\" instrumentHeight=\"1.7\" "
        "instrumentDetailsID=\"TS2\"><RawObservation slopeDistance=\"100\"><TargetPoint "
        "name=\"P\"/></RawObservation></InstrumentSetup>";
    const std::string extension =
        "<Survey><TPSCorrection instrumentDetailsID=\"TS1\" pressure=\"1000\" "
        "atmosphericPPM=\"10\"/>"
        "<TPSCorrection instrumentDetailsID=\"TS2\" pressure=\"900\" atmosphericPPM=\"30\"/>"
        "</Survey>";
    // The second setup's observation takes the first setup's station and atmospheric scale.
    const Lines expected = {
        "SetStation(\"FIRST\")", "SetInstrumentHeight(1.5)",  "SetPressure(1000)",
        "SetStation(\"FIRST\")", "SetInstrumentHeight(1.5)",  "SetPressure(1000)",
        "SetTargetPoint(\"P\")", "SetSlopeDistance(100.001)", "GetExtension(2) -> \"extension\"",
    };
    EXPECT_EQ(SurveyCalls(SurveyDocument(extension, survey)), expected);
}

TEST(StationActivation, GroupInALaterSurveyFindsASetupOfAnEarlierOne)
{
    const std::string document = Testing::LandXml(
        "<Survey><InstrumentSetup id=\"1\" stationName=\"ST1\"/></Survey>"
        "<Survey><ObservationGroup id=\"o1\"><RawObservation><TargetPoint name=\"P\"/>"
        "</RawObservation></ObservationGroup></Survey>");
    const Lines expected = {"SetStation(\"ST1\")",   "SetInstrumentHeight(0)",
                            "SetStation(\"ST1\")",   "SetInstrumentHeight(0)",
                            "SetTargetPoint(\"P\")", "GetExtension(2) -> \"extension\""};
    EXPECT_EQ(SurveyCalls(document), expected);
}

} // namespace
