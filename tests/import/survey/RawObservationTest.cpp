// Raw observations of the standard survey: what one observation sends, and in which order.

#include "tests/import/survey/SurveyLines.h"

#include <gtest/gtest.h>

namespace
{

using SurveyTesting::ObservationOf;
using SurveyTesting::SurveyDocument;
using Lines = std::vector<std::string>;

const std::string kSetup = "<InstrumentSetup id=\"1\" stationName=\"ST1\">";

// One observation inside setup 1; its host calls.
Lines ImportObservation(const std::string& observation, const std::string& target,
                        const std::string& extension = "",
                        const std::vector<std::pair<std::string, std::string>>& files = {})
{
    const std::string document =
        SurveyDocument(extension, kSetup + observation + "</InstrumentSetup>");
    return ObservationOf(Testing::ImportDocument(document, {}, files), target);
}

TEST(RawObservation, OnlyLowerCaseTrueIsTheDirectFace)
{
    const std::pair<const char*, int> cases[] = {
        {"true", 0},  {"TRUE", 1},  {"True", 1},  {"1", 1},
        {"false", 1}, {" true", 1}, {"true ", 1}, {"", 1},
    };
    for (const auto& [text, face] : cases)
    {
        const std::string observation = std::string("<RawObservation directFace=\"") + text +
                                        "\"><TargetPoint name=\"F\"/></RawObservation>";
        const std::string setFace = "SetFace(" + std::to_string(face) + ")";
        // The face is sent twice: with the measurements and again after the time.
        const Lines expected = {"SetTargetPoint(\"F\")", setFace,
                                "GetExtension(2) -> \"extension\"", setFace};
        EXPECT_EQ(ImportObservation(observation, "F"), expected) << "directFace=\"" << text << "\"";
    }
}

TEST(RawObservation, WithoutDirectFaceNoFaceIsSent)
{
    const Lines expected = {"SetTargetPoint(\"F\")", "GetExtension(2) -> \"extension\""};
    EXPECT_EQ(ImportObservation("<RawObservation><TargetPoint name=\"F\"/></RawObservation>", "F"),
              expected);
}

TEST(RawObservation, OnlyNineteenCharacterTimeStampsAreSent)
{
    // nullptr: nothing reaches the extension, but it is still asked for.
    const std::pair<const char*, const char*> cases[] = {
        {"2021-06-30T14:05:09", "20210630 14:05:09"},
        {"2021/06/30 14:05:09", "20210630 14:05:09"},
        {"abcdefghijklmnopqrs", "abcdfgij lmnopqrs"},
        // Nineteen characters, more bytes: the en dashes are three bytes each.
        {"2021\xE2\x80\x93"
         "06\xE2\x80\x93"
         "30T14:05:09",
         "20210630 14:05:09"},
        {"2021-06-30T14:05:09.25", nullptr},
        {"2021-06-30T14:05:09Z", nullptr},
        {"2021-06-30T14:05:9", nullptr},
        {"2021-06-30", nullptr},
        {"", nullptr},
    };
    for (const auto& [stamp, sent] : cases)
    {
        const std::string observation = std::string("<RawObservation timeStamp=\"") + stamp +
                                        "\"><TargetPoint name=\"T\"/></RawObservation>";
        Lines expected = {"SetTargetPoint(\"T\")", "GetExtension(2) -> \"extension\""};
        if (sent != nullptr)
            expected.push_back(std::string("extension.SetObservationTime(\"") + sent + "\")");
        EXPECT_EQ(ImportObservation(observation, "T"), expected) << "timeStamp=\"" << stamp << "\"";
    }
}

TEST(RawObservation, WithoutNamedTargetPointNothingAtAllIsSent)
{
    const char* const observations[] = {
        "<RawObservation targetHeight=\"1.5\" directFace=\"true\" horizAngle=\"10\" "
        "zenithAngle=\"90\" slopeDistance=\"12\" timeStamp=\"2021-06-30T14:05:09\"/>",
        "<RawObservation slopeDistance=\"12\"><TargetPoint pntRef=\"P1\"/></RawObservation>",
        "<RawObservation slopeDistance=\"12\"><TargetPoint Name=\"P1\"/></RawObservation>",
        "<RawObservation slopeDistance=\"12\"><targetPoint name=\"P1\"/></RawObservation>",
        "<RawObservation slopeDistance=\"12\"><Targets><TargetPoint name=\"P1\"/></Targets>"
        "</RawObservation>",
    };
    for (const char* observation : observations)
    {
        const std::string document =
            SurveyDocument("", kSetup + observation + "</InstrumentSetup>");
        const Lines lines = Testing::ImportDocument(document);
        // Not even a value is handed to a parser: after the activation comes the end.
        EXPECT_EQ(SurveyTesting::Between(lines, "SetInstrumentHeight(", "SetProgress(100)"),
                  Lines{})
            << observation;
    }
}

TEST(RawObservation, TargetNameIsCutAtItsFirstAtSign)
{
    const std::pair<const char*, const char*> cases[] = {
        {"P5", "P5"}, {"P5@A", "P5"}, {"P5@A@B", "P5"}, {"P5@", "P5"},    {"@P5", ""},
        {"@", ""},    {"", ""},       {"Кр@1", "Кр"},   {"P 5@A", "P 5"},
    };
    for (const auto& [name, sent] : cases)
    {
        const std::string observation =
            std::string("<RawObservation><TargetPoint name=\"") + name + "\"/></RawObservation>";
        const std::string document =
            SurveyDocument("", kSetup + observation + "</InstrumentSetup>");
        const Lines targets =
            Testing::LinesStartingWith(Testing::ImportDocument(document), "SetTargetPoint(");
        EXPECT_EQ(targets, Lines{std::string("SetTargetPoint(\"") + sent + "\")"}) << name;
    }
}

TEST(RawObservation, AnsiDocumentTextsReachTheHostConverted)
{
    // Windows-1251: "Ст1", "Кр@1", and a time stamp with dashes 0x96 (19 bytes, 19 characters).
    const std::string document =
        Testing::LandXml("<Survey><InstrumentSetup id=\"1\" stationName=\"\xD1\xF2\x31\">"
                         "<RawObservation timeStamp=\"2021\x96"
                         "06\x96"
                         "30T14:05:09\"><TargetPoint "
                         "name=\"\xCA\xF0@1\"/></RawObservation></InstrumentSetup></Survey>",
                         "1.2", "<?xml version=\"1.0\" encoding=\"windows-1251\"?>");
    const Lines expected = {"SetStation(\"Ст1\")", "SetInstrumentHeight(0)",
                            "SetTargetPoint(\"Кр\")", "GetExtension(2) -> \"extension\"",
                            "extension.SetObservationTime(\"20210630 14:05:09\")"};
    EXPECT_EQ(SurveyTesting::Between(Testing::SinkCalls(Testing::ImportDocument(document)),
                                     "SetProgress(50)", "SetProgress(100)"),
              expected);
}

TEST(RawObservation, RejectedValuesAreLeftOutAndTheRestIsSent)
{
    const std::string observation =
        "<RawObservation targetHeight=\"x\" directFace=\"true\" horizAngle=\"bad\" "
        "zenithAngle=\"90\" slopeDistance=\"12,5\"><TargetPoint name=\"D\"/></RawObservation>";
    const Lines expected = {"SetTargetPoint(\"D\")", "SetFace(0)", "SetZenithAngle(90)",
                            "GetExtension(2) -> \"extension\"", "SetFace(0)"};
    EXPECT_EQ(ImportObservation(observation, "D"), expected);
}

TEST(RawObservation, CallsFollowTheFixedOrder)
{
    // Attributes written in another order than the calls are made.
    const std::string extension =
        "<Point uniqueID=\"P2\"><PointCode code=\"KERB\"/>"
        "<OnboardImages><landxml:DocFileRef name=\"IMG1\" location=\"Images\"/></OnboardImages>"
        "</Point><Survey><InstrumentSetup uniqueID=\"1\"><RawObservation targetPntRef=\"P2\" "
        "reflectorConstant=\"0.5\"/></InstrumentSetup></Survey>";
    const std::string observation =
        "<RawObservation timeStamp=\"2021-06-30T14:05:09\" slopeDistance=\"100\" "
        "zenithAngle=\"90\" horizAngle=\"10\" directFace=\"true\" targetHeight=\"1.8\">"
        "<TargetPoint name=\"P2\"/></RawObservation>";
    const Lines expected = {
        "SetTargetPoint(\"P2\")",
        "SetTargetHeight(1.8)",
        "SetFace(0)",
        "SetHorizontalAngle(10)",
        "SetZenithAngle(90)",
        "SetSlopeDistance(100.5)",
        "GetExtension(2) -> \"extension\"",
        "extension.SetObservationTime(\"20210630 14:05:09\")",
        "SetFace(0)",
        "GetExtension(2) -> \"extension\"",
        "extension.AddImageNote(\"\\\"Path=Images/"
        "IMG1.jpg\\\"\\\"HA=0\\\"\\\"VA=0\\\"\\\"Dist=0\\\"\")",
        "SetPointCode(\"KERB\")",
    };
    EXPECT_EQ(ImportObservation(observation, "P2", extension, {{"Images/IMG1.jpg", "jpeg"}}),
              expected);
}

} // namespace
