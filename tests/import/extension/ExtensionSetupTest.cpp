// Extension setups: reflector constants of targets and the images taken at a setup.

#include "tests/import/survey/SurveyLines.h"

#include <gtest/gtest.h>

namespace
{

using SurveyTesting::SurveyDocument;
using Lines = std::vector<std::string>;

TEST(ReflectorConstant, AddedBeforeTheAtmosphericScaleWhenTheSettingIsOn)
{
    struct Case
    {
        bool considerPrismConstant;
        bool scaled; // the station's instrument has 20 ppm
        double distance;
    };
    const Case cases[] = {
        {true, false, 100.0344},
        {false, false, 100.0},
        {true, true, (100.0 + 0.0344) * 1.00002},
        {false, true, 100.0 * 1.00002},
    };
    for (const Case& test : cases)
    {
        const std::string extension =
            "<Survey><TPSCorrection instrumentDetailsID=\"TS20\" atmosphericPPM=\"20\"/>"
            "<InstrumentSetup uniqueID=\"9\"><RawObservation targetPntRef=\"P1\" "
            "reflectorConstant=\"0.0344\"/></InstrumentSetup></Survey>";
        const std::string survey =
            std::string("<InstrumentSetup id=\"1\" stationName=\"ST1\" instrumentDetailsID=\"") +
            (test.scaled ? "TS20" : "NONE") +
            "\"><RawObservation slopeDistance=\"100.0\"><TargetPoint name=\"P1\"/>"
            "</RawObservation></InstrumentSetup>";
        Testing::ImportOptions options;
        options.considerPrismConstant = test.considerPrismConstant;
        const Lines sent = Testing::LinesStartingWith(
            Testing::ImportDocument(SurveyDocument(extension, survey), options),
            "SetSlopeDistance(");
        const std::string label = std::string(test.considerPrismConstant ? "setting on" : "off") +
                                  (test.scaled ? ", 20 ppm" : ", no correction");
        ASSERT_EQ(sent.size(), 1u) << label;
        EXPECT_DOUBLE_EQ(SurveyTesting::NumberIn(sent[0]), test.distance) << label;
    }
}

TEST(ReflectorConstant, FirstExtensionObservationOfATargetFixesItsConstant)
{
    struct Case
    {
        const char* label;
        const char* observations; // extension observations of target T, in document order
        // Of a standard observation of T at 100, setting on. A second setup always records 0.9
        // for T after these, which counts only when they leave T without an entry.
        double distance;
    };
    const Case cases[] = {
        {"one constant", "<RawObservation targetPntRef=\"T\" reflectorConstant=\"0.0344\"/>",
         100.0344},
        {"first of two",
         "<RawObservation targetPntRef=\"T\" reflectorConstant=\"0.01\"/>"
         "<RawObservation targetPntRef=\"T\" reflectorConstant=\"0.02\"/>",
         100.01},
        {"rejected first",
         "<RawObservation targetPntRef=\"T\" reflectorConstant=\"n/a\"/>"
         "<RawObservation targetPntRef=\"T\" reflectorConstant=\"0.02\"/>",
         100.0},
        {"missing first",
         "<RawObservation targetPntRef=\"T\"/>"
         "<RawObservation targetPntRef=\"T\" reflectorConstant=\"0.02\"/>",
         100.02},
        {"missing only", "<RawObservation targetPntRef=\"T\"/>", 100.9},
        {"reference with @", "<RawObservation targetPntRef=\"T@1\" reflectorConstant=\"0.5\"/>",
         100.9},
        {"other target", "<RawObservation targetPntRef=\"U\" reflectorConstant=\"0.5\"/>", 100.9},
        {"empty reference", "<RawObservation targetPntRef=\"\" reflectorConstant=\"0.5\"/>", 100.9},
    };
    for (const Case& test : cases)
    {
        // The observations are split over two setups: the table is per file, not per setup.
        const std::string extension =
            std::string("<Survey><InstrumentSetup uniqueID=\"1\">") + test.observations +
            "</InstrumentSetup><InstrumentSetup uniqueID=\"2\"><RawObservation "
            "targetPntRef=\"T\" reflectorConstant=\"0.9\"/></InstrumentSetup></Survey>";
        const std::string survey = "<InstrumentSetup id=\"1\" stationName=\"ST1\">"
                                   "<RawObservation slopeDistance=\"100\"><TargetPoint "
                                   "name=\"T\"/></RawObservation></InstrumentSetup>";
        const Lines sent = Testing::LinesStartingWith(
            Testing::ImportDocument(SurveyDocument(extension, survey)), "SetSlopeDistance(");
        ASSERT_EQ(sent.size(), 1u) << test.label;
        EXPECT_DOUBLE_EQ(SurveyTesting::NumberIn(sent[0]), test.distance) << test.label;
    }
}

// Two extension points list an image of the same name; a setup image of that name completes the
// one whose point id sorts first by UTF-16 code units, whatever the document order.
TEST(SetupImage, SearchByNameTakesTheFirstRecordInKeyOrder)
{
    struct Case
    {
        const char* listedFirst;
        const char* listedSecond;
        const char* completed;
    };
    const Case cases[] = {
        {"B", "A", "A"},
        {"A", "B", "A"},
        {"a", "B", "B"},                                          // upper case units are lower
        {"P10", "P1", "P1"},                                      // a prefix sorts first
        {"\xEF\xBC\xA1", "\xF0\x9D\x90\x80", "\xF0\x9D\x90\x80"}, // U+FF21 after U+1D400 (D835)
    };
    for (const Case& test : cases)
    {
        const auto point = [](const char* id)
        {
            return std::string("<Point uniqueID=\"") + id +
                   "\"><OnboardImages><landxml:DocFileRef name=\"IMG\" location=\"Images\"/>"
                   "</OnboardImages></Point>";
        };
        const std::string extension =
            point(test.listedFirst) + point(test.listedSecond) +
            "<Survey><InstrumentSetup uniqueID=\"1\"><TPSImage horizAngle=\"11\" "
            "zenithAngle=\"91\"><landxml:DocFileRef name=\"IMG\" location=\"Images\"/>"
            "</TPSImage></InstrumentSetup></Survey>";
        const auto observation = [](const char* id) {
            return std::string("<RawObservation><TargetPoint name=\"") + id +
                   "\"/></RawObservation>";
        };
        const std::string survey = "<InstrumentSetup id=\"1\" stationName=\"ST1\">" +
                                   observation(test.listedFirst) + observation(test.listedSecond) +
                                   "</InstrumentSetup>";
        const Lines lines = Testing::ImportDocument(SurveyDocument(extension, survey), {},
                                                    {{"Images/IMG.jpg", "jpeg"}});
        for (const char* target : {test.listedFirst, test.listedSecond})
        {
            const bool completed = std::string(target) == test.completed;
            const std::string note =
                std::string("extension.AddImageNote(\"\\\"Path=Images/IMG.jpg\\\"\\\"HA=") +
                (completed ? "11" : "0") + "\\\"\\\"VA=" + (completed ? "91" : "0") +
                "\\\"\\\"Dist=0\\\"\")";
            EXPECT_EQ(Testing::LinesStartingWith(SurveyTesting::ObservationOf(lines, target),
                                                 "extension.AddImageNote("),
                      Lines{note})
                << "points " << test.listedFirst << ", " << test.listedSecond << "; target "
                << target;
        }
        // Nothing is sent for the setup image itself.
        EXPECT_EQ(Testing::LinesStartingWith(lines, "SetStation(").size(), 1u);
    }
}

TEST(SetupImage, ImageNoPointListsIsSentAsNoteOfItsStationAfterTheSurvey)
{
    const std::string extension =
        "<Survey><InstrumentSetup uniqueID=\"1\"><TPSImage horizAngle=\"12.3000\" "
        "zenithAngle=\"95\"><landxml:DocFileRef name=\"S1\" location=\"pics\"/></TPSImage>"
        "</InstrumentSetup></Survey>"
        "<Survey><InstrumentSetup uniqueID=\"1\"><TPSImage horizAngle=\"1\">"
        "<landxml:DocFileRef name=\"S2\" location=\"pics\"/></TPSImage></InstrumentSetup></Survey>";
    const std::string survey = "<InstrumentSetup id=\"1\" stationName=\"ST1\" "
                               "instrumentHeight=\"1.5\"/>";
    // Found under its location first, though a copy exists in Images as well.
    const Lines lines = Testing::SinkCalls(Testing::ImportDocument(
        SurveyDocument(extension, survey), {},
        {{"pics/S1.jpg", "s"}, {"Images/S1.jpg", "s"}, {"pics/S2.jpg", "s"}}));
    const Lines expected = {
        "BeginFile(\"<dir>/document.xml\")",
        "SetProgress(50)",
        "SetStation(\"ST1\")",
        "SetInstrumentHeight(1.5)",
        "SetStation(\"ST1\")",
        "SetInstrumentHeight(1.5)",
        "GetExtension(2) -> \"extension\"",
        "extension.AddImageNote(\"\\\"Path=pics/"
        "S1.jpg\\\"\\\"HA=12.5\\\"\\\"VA=95\\\"\\\"Dist=0\\\"\")",
        "SetProgress(100)",
    };
    EXPECT_EQ(lines, expected);
}

TEST(SetupImage, NothingIsSentWithoutStoredStationsOrSetupId)
{
    const char* const cases[][2] = {
        // extension setup attributes, standard survey
        {" uniqueID=\"1\"", ""},
        {" uniqueID=\"1\"", "<InstrumentSetup id=\"1\"/>"},
        {"", "<InstrumentSetup id=\"1\" stationName=\"ST1\"/>"},
        {" uniqueId=\"1\"", "<InstrumentSetup id=\"1\" stationName=\"ST1\"/>"},
    };
    for (const auto& [setupAttributes, survey] : cases)
    {
        const std::string extension = std::string("<Survey><InstrumentSetup") + setupAttributes +
                                      "><TPSImage horizAngle=\"1\"><landxml:DocFileRef "
                                      "name=\"S\" location=\"Images\"/></TPSImage>"
                                      "</InstrumentSetup></Survey>";
        const Lines lines = Testing::ImportDocument(SurveyDocument(extension, survey));
        EXPECT_EQ(Testing::LinesStartingWith(lines, "GetExtension("), Lines{})
            << setupAttributes << " / " << survey;
        // The missing file is reported in both passes all the same.
        EXPECT_EQ(Testing::LinesStartingWith(lines, "ReportWarning("),
                  Lines(2, "ReportWarning(\"Файл Images/S.jpg не найден\")"))
            << setupAttributes << " / " << survey;
    }
}

} // namespace
