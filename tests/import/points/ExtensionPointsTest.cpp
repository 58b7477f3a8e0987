// Extension points: their code records, their onboard images and the image files looked for
// beside the document. Images reach the host as notes of the observations of their point.

#include "platform/Platform.h"
#include "tests/import/ImportLines.h"
#include "tests/support/TestImport.h"
#include "tools/host/Text.h"

#include <gtest/gtest.h>

namespace
{

using Testing::HostData;
using Testing::ImportDocument;
using Testing::LandXml;
using Testing::LinesStartingWith;
using Lines = std::vector<std::string>;
using Files = std::vector<std::pair<std::string, std::string>>;

// The extension element with the points, a CgPoint P1 and one observation of each target.
std::string Document(const std::string& points, const std::vector<std::string>& targets = {"P1"})
{
    std::string survey = "<Survey><InstrumentSetup id=\"1\" stationName=\"S1\">";
    for (const std::string& target : targets)
        survey += "<RawObservation><TargetPoint name=\"" + target + "\"/></RawObservation>";
    survey += "</InstrumentSetup></Survey>";
    return LandXml("<HexagonLandXML>" + points + "</HexagonLandXML>" + survey);
}

// The paths named by the image notes, in order.
Lines NotePaths(const Lines& lines)
{
    Lines paths;
    for (const std::string& line : LinesStartingWith(lines, "extension.AddImageNote("))
    {
        const std::size_t begin = line.find("Path=") + 5;
        const std::size_t end = line.find("\\\"\\\"HA=");
        paths.push_back(line.substr(begin, end - begin));
    }
    return paths;
}

Lines Warnings(const Lines& lines)
{
    Lines texts;
    for (const std::string& line : LinesStartingWith(lines, "ReportWarning(\""))
        texts.push_back(line.substr(15, line.size() - 17));
    return texts;
}

Lines Missing(const Lines& paths)
{
    Lines texts;
    for (const std::string& path : paths)
        texts.push_back("Файл " + path + " не найден");
    return texts;
}

TEST(ExtensionImages, FileIsLookedForUnderLocationThenImages)
{
    struct Case
    {
        const char* reference; // attributes of landxml:DocFileRef
        Files files;
        Lines notes;    // paths of the notes sent with the observation
        Lines warnings; // both passes
    };
    const std::string jpg = "jpeg bytes";
    const Case cases[] = {
        {"name=\"IMG1\" location=\"pics\"", {{"pics/IMG1.jpg", jpg}}, {"pics/IMG1.jpg"}, {}},
        {"name=\"IMG1\" location=\"pics\"", {{"Images/IMG1.jpg", jpg}}, {"Images/IMG1.jpg"}, {}},
        {"name=\"IMG1\" location=\"pics\"",
         {{"pics/IMG1.jpg", jpg}, {"Images/IMG1.jpg", jpg}},
         {"pics/IMG1.jpg"},
         {}},
        {"name=\"IMG1\" location=\"pics\"",
         {},
         {""},
         Missing({"pics/IMG1.jpg", "Images/IMG1.jpg", "pics/IMG1.jpg", "Images/IMG1.jpg"})},
        {"name=\"IMG1\" location=\"Images\"",
         {},
         {""},
         Missing({"Images/IMG1.jpg", "Images/IMG1.jpg"})},
        {"name=\"IMG1\" location=\"Images\"", {{"Images/IMG1.jpg", jpg}}, {"Images/IMG1.jpg"}, {}},
        // A folder of that name counts as found.
        {"name=\"IMG1\" location=\"pics\"", {{"pics/IMG1.jpg/inner", jpg}}, {"pics/IMG1.jpg"}, {}},
        {"name=\"IMG1\" location=\"pics\" fileFormat=\"png\"",
         {{"pics/IMG1.png", jpg}},
         {"pics/IMG1.png"},
         {}},
        {"name=\"IMG1\" location=\"pics\" fileFormat=\"png\"",
         {{"pics/IMG1.jpg", jpg}},
         {""},
         Missing({"pics/IMG1.png", "Images/IMG1.png", "pics/IMG1.png", "Images/IMG1.png"})},
        // No image at all: no note, no warning.
        {"name=\"IMG1\" location=\"pics\" fileFormat=\"\"", {{"pics/IMG1.", jpg}}, {}, {}},
        {"location=\"pics\"", {}, {}, {}},
        {"name=\"\" location=\"pics\"", {}, {}, {}},
        {"name=\"IMG1\"", {{"Images/IMG1.jpg", jpg}}, {}, {}},
        {"name=\"IMG1\" location=\"\"", {{"Images/IMG1.jpg", jpg}}, {}, {}},
        // A location that climbs is an ordinary relative path.
        {"name=\"IMG1\" location=\"sub/..\"",
         {{"sub/keep", ""}, {"IMG1.jpg", jpg}},
         {"sub/../IMG1.jpg"},
         {}},
        {"name=\"IMG1\" location=\"../..\"",
         {},
         {""},
         Missing({"../../IMG1.jpg", "Images/IMG1.jpg", "../../IMG1.jpg", "Images/IMG1.jpg"})},
        {"name=\"Снимок 1\" location=\"фото\"",
         {{"фото/Снимок 1.jpg", jpg}},
         {"фото/Снимок 1.jpg"},
         {}},
    };
    for (const Case& c : cases)
    {
        const Lines lines = ImportDocument(
            Document(std::string("<Point uniqueID=\"P1\"><OnboardImages><landxml:DocFileRef ") +
                     c.reference + "/></OnboardImages></Point>"),
            {}, c.files);
        EXPECT_EQ(NotePaths(lines), c.notes) << c.reference;
        EXPECT_EQ(Warnings(lines), c.warnings) << c.reference;
    }
}

// Where the location's folder is missing, its files are not looked for one by one. Whatever a
// reference names, the answer must be the one the system gives for the joined path.
TEST(ExtensionImages, FilesOfMissingFoldersAreFoundAsTheSystemFindsThem)
{
    struct Case
    {
        const char* location;
        const char* name;
        const char* format;
        Files files;
    };
    const std::string jpg = "jpeg bytes";
    const Case cases[] = {
        {"pics", "IMG1", "jpg", {}},
        {"pics", "IMG1", "jpg", {{"pics/other.jpg", jpg}}},
        {"pics", "IMG1", "jpg", {{"Images/IMG1.jpg", jpg}}},
        // Names that leave the folder: the system decides whether a missing folder matters.
        {"nosuch", "../IMG1", "jpg", {{"IMG1.jpg", jpg}}},
        {"nosuch", "..\\IMG1", "jpg", {{"IMG1.jpg", jpg}}},
        {"nosuch", "IMG1", "jpg/../../IMG1.jpg", {{"IMG1.jpg", jpg}}},
        {"nosuch", "..", ".", {{"keep", jpg}}},
        {"nosuch", "sub/IMG1", "jpg", {{"Images/sub/IMG1.jpg", jpg}}},
        {"pics", "sub/IMG1", "jpg", {{"pics/sub/IMG1.jpg", jpg}}},
    };
    for (const Case& c : cases)
    {
        // The same files in a folder of the test's own, asked for directly.
        const Testing::TempFolder oracle;
        for (const auto& [file, bytes] : c.files)
            oracle.Write(file, bytes);
        const std::string fileName = std::string(c.name) + "." + c.format;
        const std::string atLocation = std::string(c.location) + "/" + fileName;
        const std::string inImages = "Images/" + fileName;
        const auto exists = [&](const std::string& relative)
        {
            return Platform::PathExists((Host::HostPath(oracle.Path()) + Host::ToWideString(u"/") +
                                         Host::ToWideString(Host::FromUtf8(relative)))
                                            .c_str());
        };
        // The record writes a backslash of a text as two.
        const auto traced = [](std::string text)
        {
            for (std::size_t at = text.find('\\'); at != std::string::npos;
                 at = text.find('\\', at + 2))
                text.insert(at, 1, '\\');
            return text;
        };
        Lines notes{""};
        Lines warnings =
            Missing({traced(atLocation), traced(inImages), traced(atLocation), traced(inImages)});
        if (exists(atLocation))
            notes = {traced(atLocation)}, warnings = {};
        else if (exists(inImages))
            notes = {traced(inImages)}, warnings = {};

        const Lines lines = ImportDocument(
            Document(std::string("<Point uniqueID=\"P1\"><OnboardImages><landxml:DocFileRef "
                                 "name=\"") +
                     c.name + "\" location=\"" + c.location + "\" fileFormat=\"" + c.format +
                     "\"/></OnboardImages></Point>"),
            {}, c.files);
        const std::string shown = atLocation + " with " + std::to_string(c.files.size()) + " files";
        EXPECT_EQ(NotePaths(lines), notes) << shown;
        EXPECT_EQ(Warnings(lines), warnings) << shown;
    }
}

TEST(ExtensionImages, OnlyPrefixedReferencesInOnboardImagesCount)
{
    const Lines lines = ImportDocument(
        Document("<Point uniqueID=\"P1\"><OnboardImages><DocFileRef name=\"A\" location=\"p\"/>"
                 "<landxml:DocFileRef name=\"B\" location=\"p\"/></OnboardImages>"
                 "<landxml:DocFileRef name=\"C\" location=\"p\"/>"
                 "<OnboardImages><landxml:DocFileRef name=\"D\" location=\"p\"/></OnboardImages>"
                 "</Point>"),
        {}, {{"p/B.jpg", ""}, {"p/C.jpg", ""}, {"p/D.jpg", ""}});
    EXPECT_EQ(NotePaths(lines), Lines{"p/B.jpg"});
}

TEST(ExtensionPoints, IdWithAtSignKeysRecordByNameAndImagesByWholeId)
{
    const Files files = {{"p/A.jpg", ""}, {"p/B.jpg", ""}};
    const Lines lines = ImportDocument(
        Document("<Point uniqueID=\"P1@3\"><PointCode code=\"A3\"><Attribute name=\"H\" "
                 "value=\"3\"/></PointCode><OnboardImages><landxml:DocFileRef name=\"A\" "
                 "location=\"p\"/></OnboardImages></Point>"
                 "<Point uniqueID=\"P1\"><PointCode code=\"B\"/><OnboardImages>"
                 "<landxml:DocFileRef name=\"B\" location=\"p\"/></OnboardImages></Point>",
                 {"P1", "P1@3"}),
        {}, files);
    // Both observations look the images up under P1: only the image of the point P1.
    EXPECT_EQ(NotePaths(lines), (Lines{"p/B.jpg", "p/B.jpg"}));
    // P1's record is the one of P1@3, the first under the cut name; P1@3 has no record.
    EXPECT_EQ(LinesStartingWith(HostData(lines), "SetPointCode"),
              Lines{"SetPointCode(\"A3 /H=3\")"});
}

TEST(ExtensionPoints, RepeatedIdKeepsFirstRecordAndAllImages)
{
    const Lines lines = ImportDocument(
        Document("<Point uniqueID=\"P1\"><PointCode code=\"FIRST\"/><OnboardImages>"
                 "<landxml:DocFileRef name=\"I1\" location=\"p\"/></OnboardImages></Point>"
                 "<Point uniqueID=\"P1\" subclass=\"GPS phase\"><PointCode code=\"SECOND\"/>"
                 "<OnboardImages><landxml:DocFileRef name=\"I2\" location=\"p\"/>"
                 "<landxml:DocFileRef name=\"I3\" location=\"p\"/></OnboardImages></Point>"
                 "<Point><PointCode code=\"NOID\"/><OnboardImages>"
                 "<landxml:DocFileRef name=\"I4\" location=\"p\"/></OnboardImages></Point>"),
        {}, {{"p/I1.jpg", ""}, {"p/I2.jpg", ""}, {"p/I3.jpg", ""}, {"p/I4.jpg", ""}});
    EXPECT_EQ(NotePaths(lines), (Lines{"p/I1.jpg", "p/I2.jpg", "p/I3.jpg"}));
    EXPECT_EQ(Testing::CodesByTarget(lines)["P1"], "FIRST");
}

TEST(ExtensionPoints, ImagesWithoutPointCodeMakeNoRecord)
{
    const std::string points = "<Point uniqueID=\"P1\" subclass=\"GPS phase\"><OnboardImages>"
                               "<landxml:DocFileRef name=\"I1\" location=\"p\"/></OnboardImages>"
                               "</Point>";
    const Lines lines = ImportDocument(
        LandXml("<HexagonLandXML>" + points + "</HexagonLandXML>" +
                "<CgPoints><CgPoint name=\"P1\" code=\"K\" role=\"fixed\"/>"
                "<CgPoint name=\"P2\" code=\"K\"/></CgPoints>" +
                "<Survey><InstrumentSetup id=\"1\" stationName=\"S1\"><RawObservation>"
                "<TargetPoint name=\"P1\"/></RawObservation></InstrumentSetup></Survey>"),
        {}, {{"p/I1.jpg", ""}});
    EXPECT_EQ(NotePaths(lines), Lines{"p/I1.jpg"});
    // Without a record the subclass is unknown: the fixed point is not sent, the target of the
    // observation gets no code.
    EXPECT_EQ(LinesStartingWith(lines, "AddPoint"), Lines{"AddPoint(\"P2\")"});
    EXPECT_EQ(Testing::CodesByTarget(lines)["P1"], "");
}

TEST(ExtensionPoints, PointCodeWithoutCodeStillRecordsSubclass)
{
    const Lines lines = ImportDocument(
        LandXml("<HexagonLandXML><Point uniqueID=\"P1\" subclass=\"GPS phase\"><PointCode>"
                "<Attribute name=\"H\" value=\"1\"/></PointCode></Point></HexagonLandXML>"
                "<CgPoints><CgPoint name=\"P1\" code=\"K\" role=\"fixed\"/></CgPoints>"));
    // The record exists (the point is sent) but holds nothing of the PointCode.
    EXPECT_EQ(HostData(lines), (Lines{"AddPoint(\"P1\")", "SetPointCode(\"K\")"}));
}

} // namespace
