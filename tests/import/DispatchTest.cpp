// The fixed order in which the sections of a document are read, whatever order they are
// written in, and the folder of the imported file, where its images are looked for.

#include "import/LandXMLImporter.h"
#include "platform/Platform.h"
#include "tests/import/ImportLines.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <gtest/gtest.h>

namespace
{

using Testing::ImportDocument;
using Testing::LandXml;
using Testing::LinesStartingWith;
using Testing::StartsWith;
using Lines = std::vector<std::string>;

// Indexes of the lines that begin with prefix.
std::vector<std::size_t> Positions(const Lines& lines, const std::string& prefix)
{
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (StartsWith(lines[i], prefix))
            found.push_back(i);
    return found;
}

// The sections written in the reverse of the order they are read in.
const char kReversed[] =
    "<Survey><InstrumentSetup id=\"1\" stationName=\"S1\"><RawObservation>"
    "<TargetPoint name=\"P1\"/></RawObservation></InstrumentSetup></Survey>"
    "<Parcels><Parcel name=\"LOT\"><CoordGeom><Line><Start pntRef=\"P2\"/><End pntRef=\"P1\"/>"
    "</Line></CoordGeom></Parcel></Parcels>"
    "<PlanFeatures><PlanFeature name=\"WALL\"><CoordGeom><Line><Start pntRef=\"P1\"/>"
    "<End pntRef=\"P2\"/></Line></CoordGeom></PlanFeature></PlanFeatures>"
    "<CgPoints><CgPoint name=\"P1\" code=\"K\">1 2 3</CgPoint></CgPoints>"
    "<HexagonLandXML>"
    "<Point uniqueID=\"P1\"><PointCode code=\"W\"/><OnboardImages>"
    "<landxml:DocFileRef name=\"POINTIMG\" location=\"Images\"/></OnboardImages></Point>"
    "<Point uniqueID=\"P2\"><PointCode code=\"Q\"/></Point>"
    "<Survey><InstrumentSetup uniqueID=\"1\"><TPSImage horizAngle=\"1.5\">"
    "<landxml:DocFileRef name=\"SETUPIMG\" location=\"Images\"/></TPSImage></InstrumentSetup>"
    "</Survey></HexagonLandXML>"
    "<Units><Metric angularUnit=\"radians\"/></Units>";

TEST(Dispatch, SectionsAreReadInFixedOrder)
{
    const Lines lines = ImportDocument(LandXml(kReversed));
    const auto factory = Positions(lines, "GetValueParserFactory()");
    const auto pointImage = Positions(lines, "ReportWarning(\"Файл Images/POINTIMG.jpg");
    const auto setupImage = Positions(lines, "ReportWarning(\"Файл Images/SETUPIMG.jpg");
    const auto point = Positions(lines, "AddPoint(\"P1\")");
    const auto stations = Positions(lines, "SetStation(\"S1\")");
    const auto target = Positions(lines, "SetTargetPoint(\"P1\")");
    const auto notes = Positions(lines, "extension.AddImageNote(");
    ASSERT_EQ(factory.size(), 1u);
    ASSERT_EQ(pointImage.size(), 2u) << "one warning in each extension pass";
    ASSERT_EQ(setupImage.size(), 2u);
    ASSERT_EQ(point.size(), 1u);
    ASSERT_EQ(target.size(), 1u);
    // Units, then the first pass, then the points.
    EXPECT_LT(factory[0], pointImage[0]);
    EXPECT_LT(setupImage[0], point[0]);
    // The survey after the points; the second pass after the survey.
    EXPECT_LT(point[0], stations.front());
    EXPECT_LT(target[0], pointImage[1]);
    EXPECT_LT(target[0], setupImage[1]);
    // The setup's own image is sent by the second pass, as a note of its station activated
    // again; the point's image went with the observation.
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_LT(target[0], notes[0]);
    EXPECT_LT(setupImage[1], notes[1]);
    EXPECT_EQ(stations.size(), 2u);
    EXPECT_LT(stations.back(), notes[1]);
    // The units written last chose the angle parser of the first pass.
    EXPECT_EQ(LinesStartingWith(lines, "factory.GetAngleParser"),
              Lines{"factory.GetAngleParser(0)"});
    // Plan features (after the points) and parcels (after the plan features) show only in
    // the observation: the point keeps its record's plain code.
    EXPECT_EQ(Testing::CodesByPoint(lines)["P1"], "K");
    EXPECT_EQ(Testing::CodesByTarget(lines)["P1"], "W-WALL p; Q-LOT e");
}

TEST(Dispatch, EveryCgPointsAndSurveyIsReadInDocumentOrder)
{
    const Lines lines = Testing::HostData(
        ImportDocument(LandXml("<CgPoints><CgPoint name=\"A\"/><CgPoint name=\"B\"/></CgPoints>"
                               "<Survey><InstrumentSetup id=\"1\" stationName=\"S1\"/></Survey>"
                               "<CgPoints><CgPoint name=\"C\"/></CgPoints>"
                               "<Survey><InstrumentSetup id=\"2\" stationName=\"S2\"/></Survey>")));
    Lines order;
    for (const std::string& line : lines)
        if (StartsWith(line, "AddPoint(") || StartsWith(line, "SetStation("))
            order.push_back(line);
    EXPECT_EQ(order, (Lines{"AddPoint(\"B\")", "AddPoint(\"A\")", "AddPoint(\"C\")",
                            "SetStation(\"S1\")", "SetStation(\"S2\")"}));
}

TEST(Dispatch, SectionNamesAreExact)
{
    struct Case
    {
        const char* body;
        const char* absent; // a line that would show the section was read
    };
    const Case cases[] = {
        {"<UNITS><Metric angularUnit=\"radians\"/></UNITS>", "factory.GetAngleParser(0)"},
        {"<units><Metric angularUnit=\"radians\"/></units>", "factory.GetAngleParser(0)"},
        {"<cgpoints><CgPoint name=\"X\"/></cgpoints>", "AddPoint("},
        {"<CGPoints><CgPoint name=\"X\"/></CGPoints>", "AddPoint("},
        {"<lx:CgPoints><CgPoint name=\"X\"/></lx:CgPoints>", "AddPoint("},
        {"<survey><InstrumentSetup id=\"1\" stationName=\"S\"/></survey>", "SetStation("},
        {"<hexagonLandXML><Point uniqueID=\"X\"><OnboardImages><landxml:DocFileRef name=\"I\" "
         "location=\"p\"/></OnboardImages></Point></hexagonLandXML>",
         "ReportWarning("},
    };
    for (const Case& c : cases)
    {
        const Lines lines = ImportDocument(LandXml(c.body));
        EXPECT_TRUE(LinesStartingWith(lines, c.absent).empty()) << c.body;
    }
}

TEST(Dispatch, OnlyTheFirstExtensionElementIsRead)
{
    const Lines lines = ImportDocument(
        LandXml("<HexagonLandXML><Point uniqueID=\"X\"><OnboardImages><landxml:DocFileRef "
                "name=\"FIRST\" location=\"Images\"/></OnboardImages></Point></HexagonLandXML>"
                "<HexagonLandXML><Point uniqueID=\"Y\"><OnboardImages><landxml:DocFileRef "
                "name=\"SECOND\" location=\"Images\"/></OnboardImages></Point></HexagonLandXML>"));
    EXPECT_EQ(LinesStartingWith(lines, "ReportWarning("),
              (Lines{"ReportWarning(\"Файл Images/FIRST.jpg не найден\")",
                     "ReportWarning(\"Файл Images/FIRST.jpg не найден\")"}));
}

TEST(Dispatch, ImagesAreFoundInTheFolderUpToThePathsLastPlatformSeparator)
{
    // The image lies in <temp>/d/pics; the path handed to the importer decides where it looks.
    const Testing::TempFolder temp;
    temp.Write("d/pics/I.jpg", "jpeg");
    const Plugin::WideString root = Host::HostPath(temp.Path());
    const Plugin::WideChar separator = Platform::kDirectorySeparator;
    const Plugin::WideChar other = separator == u'/' ? u'\\' : u'/';
    // "T" stands for the temporary folder, "S" for the platform's separator, "O" for the other.
    const auto path = [&](const std::string& text)
    {
        Plugin::WideString wide;
        for (const char c : text)
            if (c == 'T')
                wide += root;
            else
                wide += c == 'S' ? separator : c == 'O' ? other : static_cast<Plugin::WideChar>(c);
        return wide;
    };
    std::string document = LandXml(
        "<HexagonLandXML><Point uniqueID=\"P\"><OnboardImages><landxml:DocFileRef name=\"I\" "
        "location=\"pics\"/></OnboardImages></Point></HexagonLandXML>");
    const std::pair<const char*, bool> cases[] = {
        {"TSdSjob.xml", true},
        {"TSdS", true},
        {"TSdOjob.xml", false}, // the other separator is an ordinary character
        {"job.xml", false},     // no folder: the image is looked for where the host runs
        {"", false},
    };
    for (const auto& [given, found] : cases)
    {
        Host::Recorder record;
        Host::Sink host(record);
        const bool setting = true;
        std::string bytes = document;
        {
            Plugin::CLandXMLImporter importer(&host, &setting, path(given));
            importer.ParseDocument(bytes.data(), bytes.size());
        }
        EXPECT_EQ(LinesStartingWith(record.Lines(), "ReportWarning(").empty(), found) << given;
    }
}

} // namespace
