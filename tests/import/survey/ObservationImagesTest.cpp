// Image notes and code texts that raw observations send for their targets, and a host without
// the sink extension.

#include "tests/import/survey/SurveyLines.h"

#include <gtest/gtest.h>

namespace
{

using SurveyTesting::ObservationOf;
using SurveyTesting::SurveyDocument;
using Lines = std::vector<std::string>;

// The trace line of an image note without angles: "Path=…""HA=0""VA=0""Dist=0".
std::string Note(const std::string& path)
{
    return "extension.AddImageNote(\"\\\"Path=" + path +
           "\\\"\\\"HA=0\\\"\\\"VA=0\\\"\\\"Dist=0\\\"\")";
}

TEST(ObservationImages, NotesFollowTheOrderTheImagesWereRecorded)
{
    // Names and key order disagree with the order of the document: Z before A, and the second
    // point of the same id after both.
    const std::string extension =
        "<Point uniqueID=\"P7\"><OnboardImages>"
        "<landxml:DocFileRef name=\"Z\" location=\"pics\"/>"
        "<landxml:DocFileRef name=\"A\" location=\"Images\" fileFormat=\"png\"/>"
        "</OnboardImages></Point>"
        "<Point uniqueID=\"P6\"><OnboardImages><landxml:DocFileRef name=\"OTHER\" "
        "location=\"pics\"/>"
        "</OnboardImages></Point>"
        "<Point uniqueID=\"P7\"><OnboardImages><landxml:DocFileRef name=\"M\" location=\"pics\"/>"
        "</OnboardImages></Point>";
    const std::string survey = "<InstrumentSetup id=\"1\" stationName=\"ST1\">"
                               "<RawObservation><TargetPoint name=\"P7\"/></RawObservation>"
                               "</InstrumentSetup>";
    const Lines lines = Testing::ImportDocument(SurveyDocument(extension, survey), {},
                                                {{"pics/Z.jpg", "z"},
                                                 {"Images/A.png", "a"},
                                                 {"Images/M.jpg", "m"},
                                                 {"pics/OTHER.jpg", "o"}});
    const Lines expected = {
        "SetTargetPoint(\"P7\")",           "GetExtension(2) -> \"extension\"",
        "GetExtension(2) -> \"extension\"", Note("pics/Z.jpg"),
        "GetExtension(2) -> \"extension\"", Note("Images/A.png"),
        "GetExtension(2) -> \"extension\"", Note("Images/M.jpg"),
    };
    EXPECT_EQ(ObservationOf(lines, "P7"), expected);
    EXPECT_EQ(Testing::LinesStartingWith(lines, "ReportWarning("), Lines{}) << "every file exists";
}

TEST(ObservationImages, CodeTextOfTheTargetCarriesAttributesAndLineCodes)
{
    const std::string kerb = "<PointCode code=\"KERB\"><Attribute name=\"H\" value=\"1.2\"/>"
                             "<Attribute name=\"M\" value=\"ST\"/></PointCode>";
    // Each extension line feature adds the point's code and the feature's name to its line codes.
    const std::string twoLines =
        "<PlanFeature name=\"L1\"><CoordGeom><BestFitCurve><Chain>P</Chain></BestFitCurve>"
        "</CoordGeom></PlanFeature><PlanFeature name=\"L2\"><CoordGeom><BestFitCurve><Chain>P"
        "</Chain></BestFitCurve></CoordGeom></PlanFeature>";
    struct Case
    {
        const char* label;
        std::string extension;
        const char* target;
        const char* code; // nullptr: no SetPointCode
    };
    const Case cases[] = {
        {"attributes", "<Point uniqueID=\"P\">" + kerb + "</Point>", "P", "KERB /H=1.2/M=ST"},
        {"attributes and line codes", "<Point uniqueID=\"P\">" + kerb + "</Point>" + twoLines, "P",
         "KERB-L1 /H=1.2/M=ST; KERB-L2"},
        {"line codes only", "<Point uniqueID=\"P\"><PointCode code=\"KERB\"/></Point>" + twoLines,
         "P", "KERB-L1; KERB-L2"},
        {"code only", "<Point uniqueID=\"P\"><PointCode code=\"KERB\"/></Point>", "P", "KERB"},
        {"no record", "<Point uniqueID=\"Q\">" + kerb + "</Point>", "P", nullptr},
        // The record is kept under P, the code looked up under the whole name.
        {"target with @", "<Point uniqueID=\"P@1\">" + kerb + "</Point>", "P@1", nullptr},
    };
    for (const Case& test : cases)
    {
        const std::string survey = std::string("<InstrumentSetup id=\"1\" stationName=\"ST1\">"
                                               "<RawObservation><TargetPoint name=\"") +
                                   test.target + "\"/></RawObservation></InstrumentSetup>";
        const Lines codes = Testing::LinesStartingWith(
            Testing::SinkCalls(Testing::ImportDocument(SurveyDocument(test.extension, survey))),
            "SetPointCode(");
        const Lines expected =
            test.code ? Lines{std::string("SetPointCode(\"") + test.code + "\")"} : Lines{};
        EXPECT_EQ(codes, expected) << test.label;
    }
}

TEST(ObservationImages, IdenticalObservationsAreAllSent)
{
    const std::string observation =
        "<RawObservation targetHeight=\"1.5\" directFace=\"false\" horizAngle=\"10\" "
        "zenithAngle=\"90\" slopeDistance=\"12\"><TargetPoint name=\"P\"/></RawObservation>";
    const std::string survey = "<InstrumentSetup id=\"1\" stationName=\"ST1\">" + observation +
                               observation + observation + "</InstrumentSetup>";
    const Lines calls = SurveyTesting::Between(
        Testing::SinkCalls(Testing::ImportDocument(SurveyDocument("", survey))),
        "SetInstrumentHeight(", "SetProgress(100)");
    const Lines one = {"SetTargetPoint(\"P\")",
                       "SetTargetHeight(1.5)",
                       "SetFace(1)",
                       "SetHorizontalAngle(10)",
                       "SetZenithAngle(90)",
                       "SetSlopeDistance(12)",
                       "GetExtension(2) -> \"extension\"",
                       "SetFace(1)"};
    Lines expected;
    for (int i = 0; i < 3; ++i)
        expected.insert(expected.end(), one.begin(), one.end());
    EXPECT_EQ(calls, expected);
}

// Images are kept under the whole point id, the point's record under the id cut at "@"; the
// observation looks the images up under the cut target name and the record under the whole one.
TEST(ObservationImages, PointIdWithAtSignReachesNeitherLookup)
{
    const std::string extension =
        "<Point uniqueID=\"P5@A\"><PointCode code=\"KERB\"/><OnboardImages>"
        "<landxml:DocFileRef name=\"IMG\" location=\"Images\"/></OnboardImages></Point>";
    const std::string survey = "<InstrumentSetup id=\"1\" stationName=\"ST1\">"
                               "<RawObservation><TargetPoint name=\"P5@A\"/></RawObservation>"
                               "<RawObservation><TargetPoint name=\"P5\"/></RawObservation>"
                               "</InstrumentSetup>";
    const Lines calls = SurveyTesting::Between(
        Testing::SinkCalls(Testing::ImportDocument(SurveyDocument(extension, survey), {},
                                                   {{"Images/IMG.jpg", "i"}})),
        "SetInstrumentHeight(", "SetProgress(100)");
    const Lines expected = {"SetTargetPoint(\"P5\")", "GetExtension(2) -> \"extension\"",
                            "SetTargetPoint(\"P5\")", "GetExtension(2) -> \"extension\"",
                            "SetPointCode(\"KERB\")"};
    EXPECT_EQ(calls, expected);
}

// Without the sink extension every sink call is made as with it; only the extension's own calls
// are missing.
TEST(ObservationImages, HostWithoutExtensionGetsEverySinkCall)
{
    const std::string extension =
        "<Point uniqueID=\"P7\"><PointCode code=\"KERB\"/><OnboardImages>"
        "<landxml:DocFileRef name=\"IMG1\" location=\"Images\"/>"
        "<landxml:DocFileRef name=\"IMG2\" location=\"Images\"/></OnboardImages></Point>"
        "<Survey><InstrumentSetup uniqueID=\"1\"><RawObservation targetPntRef=\"P7\" "
        "reflectorConstant=\"0.0344\"/><TPSImage horizAngle=\"5\"><landxml:DocFileRef "
        "name=\"SETUP\" location=\"Images\"/></TPSImage></InstrumentSetup></Survey>";
    const std::string survey =
        "<InstrumentSetup id=\"1\" stationName=\"ST1\" instrumentHeight=\"1.5\">"
        "<RawObservation targetHeight=\"1.5\" directFace=\"true\" horizAngle=\"1\" "
        "zenithAngle=\"90\" slopeDistance=\"10\" timeStamp=\"2021-06-30T14:05:09\">"
        "<TargetPoint name=\"P7\"/></RawObservation>"
        "<RawObservation slopeDistance=\"20\" timeStamp=\"2021-06-30T14:05:09.25\">"
        "<TargetPoint name=\"P8\"/></RawObservation></InstrumentSetup>";
    const std::string document = SurveyDocument(extension, survey);
    Testing::ImportOptions without;
    without.host.pointExtension = without.host.observationExtension = false;

    Lines expected;
    int extensionCalls = 0;
    for (const std::string& line : Testing::ImportDocument(document))
    {
        if (SurveyTesting::Begins(line, "extension."))
            ++extensionCalls;
        else if (line == "GetExtension(2) -> \"extension\"")
            expected.push_back("GetExtension(2) -> null");
        else
            expected.push_back(line);
    }
    // One time stamp, two notes of the observation and one of the setup.
    EXPECT_EQ(extensionCalls, 4);
    EXPECT_EQ(Testing::ImportDocument(document, without), expected);
}

} // namespace
