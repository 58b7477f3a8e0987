// Atmospheric corrections of the extension: how they are read, and what station activation and
// the distances make of them.

#include "tests/import/survey/SurveyLines.h"

#include <gtest/gtest.h>

namespace
{

using SurveyTesting::SurveyDocument;
using Lines = std::vector<std::string>;

const std::string kSetupWithTs = "<InstrumentSetup id=\"1\" stationName=\"ST1\" "
                                 "instrumentHeight=\"1.5\" instrumentDetailsID=\"TS\">"
                                 "<RawObservation slopeDistance=\"100\"><TargetPoint name=\"P\"/>"
                                 "</RawObservation></InstrumentSetup>";

std::string WithCorrections(const std::string& corrections)
{
    return SurveyDocument("<Survey>" + corrections + "</Survey>", kSetupWithTs);
}

// The activation of ST1: the calls from SetStation up to the observation.
Lines Activation(const std::string& document)
{
    const Lines calls = Testing::SinkCalls(Testing::ImportDocument(document));
    Lines activation = {"SetStation(\"ST1\")"};
    const Lines rest = SurveyTesting::Between(calls, "SetStation(\"ST1\")", "SetTargetPoint(");
    activation.insert(activation.end(), rest.begin(), rest.end());
    return activation;
}

TEST(TpsCorrection, ParsersAreCalledPressureTemperaturePpm)
{
    // Written in the opposite order.
    const Lines lines = Testing::ImportDocument(WithCorrections(
        "<TPSCorrection atmosphericPPM=\"20\" dryTemperature=\"12.5\" pressure=\"1013.2\" "
        "instrumentDetailsID=\"TS\"/>"));
    const Lines expected = {"pressure.Parse(\"1013.2\") -> 1013.2",
                            "temperature.Parse(\"12.5\") -> 12.5", "distance.Parse(\"20\") -> 20"};
    EXPECT_EQ(SurveyTesting::Between(lines, "factory.Release()", "distance.Parse(\"1.5\")"),
              expected);
}

TEST(TpsCorrection, ActivationSendsOnlyTheValuesThatAreSet)
{
    struct Case
    {
        const char* attributes;
        Lines sent; // after SetStation and SetInstrumentHeight
    };
    const Case cases[] = {
        {"pressure=\"1013.2\" dryTemperature=\"12.5\"",
         {"SetPressure(1013.2)", "SetDryTemperature(12.5)"}},
        {"dryTemperature=\"12.5\" pressure=\"1013.2\"",
         {"SetPressure(1013.2)", "SetDryTemperature(12.5)"}},
        {"pressure=\"990\"", {"SetPressure(990)"}},
        {"pressure=\"990\" dryTemperature=\"warm\"", {"SetPressure(990)"}},
        {"dryTemperature=\"8\"", {"SetDryTemperature(8)"}},
        {"pressure=\"high\" dryTemperature=\"8\"", {"SetDryTemperature(8)"}},
        {"atmosphericPPM=\"20\"", {}},
        {"", {}},
    };
    for (const Case& test : cases)
    {
        Lines expected = {"SetStation(\"ST1\")", "SetInstrumentHeight(1.5)"};
        expected.insert(expected.end(), test.sent.begin(), test.sent.end());
        const std::string correction =
            std::string("<TPSCorrection instrumentDetailsID=\"TS\" ") + test.attributes + "/>";
        EXPECT_EQ(Activation(WithCorrections(correction)), expected) << test.attributes;
    }
}

TEST(TpsCorrection, FirstCorrectionOfAnInstrumentWinsEvenWhenItsValuesFailed)
{
    const std::string corrections =
        "<TPSCorrection instrumentDetailsID=\"TS\" pressure=\"high\" dryTemperature=\"5\"/>"
        "<TPSCorrection instrumentDetailsID=\"TS\" pressure=\"1001\" dryTemperature=\"6\" "
        "atmosphericPPM=\"30\"/>";
    const std::string document = WithCorrections(corrections);
    // The second correction's pressure and ppm are not used either.
    const Lines expected = {"SetStation(\"ST1\")", "SetInstrumentHeight(1.5)",
                            "SetDryTemperature(5)"};
    EXPECT_EQ(Activation(document), expected);
    EXPECT_EQ(Testing::LinesStartingWith(Testing::ImportDocument(document), "SetSlopeDistance("),
              Lines{"SetSlopeDistance(100)"});
}

TEST(TpsCorrection, CorrectionWithoutUsableInstrumentIdIsNotRead)
{
    const char* const corrections[] = {
        "<TPSCorrection instrumentDetailsID=\"\" pressure=\"999\" dryTemperature=\"1\" "
        "atmosphericPPM=\"10\"/>",
        "<TPSCorrection pressure=\"999\" dryTemperature=\"1\" atmosphericPPM=\"10\"/>",
        "<TPSCorrection instrumentDetailsId=\"TS\" pressure=\"999\" dryTemperature=\"1\" "
        "atmosphericPPM=\"10\"/>",
    };
    for (const char* correction : corrections)
    {
        // A setup whose instrument id is empty must not find it either.
        const std::string document = SurveyDocument(
            std::string("<Survey>") + correction + "</Survey>",
            "<InstrumentSetup id=\"1\" stationName=\"ST1\" instrumentDetailsID=\"\">"
            "<RawObservation slopeDistance=\"100\"><TargetPoint name=\"P\"/></RawObservation>"
            "</InstrumentSetup>");
        const Lines lines = Testing::ImportDocument(document);
        EXPECT_EQ(Testing::LinesStartingWith(lines, "pressure.Parse("), Lines{}) << correction;
        EXPECT_EQ(Testing::LinesStartingWith(lines, "temperature.Parse("), Lines{}) << correction;
        EXPECT_EQ(Testing::LinesStartingWith(lines, "SetPressure("), Lines{}) << correction;
        EXPECT_EQ(Testing::LinesStartingWith(lines, "SetSlopeDistance("),
                  Lines{"SetSlopeDistance(100)"})
            << correction;
    }
}

TEST(TpsCorrection, EveryExtensionSurveyIsRead)
{
    const std::string document = SurveyDocument(
        "<Survey/><Survey><TPSCorrection instrumentDetailsID=\"OTHER\" pressure=\"1\"/></Survey>"
        "<Survey><TPSCorrection instrumentDetailsID=\"TS\" pressure=\"1020\" "
        "dryTemperature=\"20\" atmosphericPPM=\"-5\"/></Survey>",
        kSetupWithTs);
    const Lines expected = {"SetStation(\"ST1\")", "SetInstrumentHeight(1.5)", "SetPressure(1020)",
                            "SetDryTemperature(20)"};
    EXPECT_EQ(Activation(document), expected);
    EXPECT_EQ(Testing::LinesStartingWith(Testing::ImportDocument(document), "SetSlopeDistance("),
              Lines{"SetSlopeDistance(99.9995)"});
}

TEST(TpsCorrection, PpmScalesDistancesOfItsStationsOnly)
{
    struct Case
    {
        const char* ppm;
        const char* setupInstrument;
        double distance;
    };
    const Case cases[] = {
        {"20", "TS", 100.0 * 1.00002},
        {"-5", "TS", 100.0 * 0.999995},
        {"0", "TS", 100.0},
        {"x", "TS", 100.0},
        {"20", "OTHER", 100.0},
        {"20", "ts", 100.0},
    };
    for (const Case& test : cases)
    {
        const std::string document = SurveyDocument(
            std::string("<Survey><TPSCorrection instrumentDetailsID=\"TS\" atmosphericPPM=\"") +
                test.ppm + "\"/></Survey>",
            std::string("<InstrumentSetup id=\"1\" stationName=\"ST1\" instrumentDetailsID=\"") +
                test.setupInstrument +
                "\"><RawObservation slopeDistance=\"100\"><TargetPoint name=\"P\"/>"
                "</RawObservation></InstrumentSetup>");
        const Lines sent =
            Testing::LinesStartingWith(Testing::ImportDocument(document), "SetSlopeDistance(");
        ASSERT_EQ(sent.size(), 1u) << test.ppm << " " << test.setupInstrument;
        EXPECT_DOUBLE_EQ(SurveyTesting::NumberIn(sent[0]), test.distance)
            << test.ppm << " " << test.setupInstrument;
    }
}

} // namespace
