// Plan features and parcels as line codes of their points. Standard features are read after the
// points were sent, so their codes show only in the observations; extension features are read
// first and show in the points of LandXML 1.1 and 1.2 as well.

#include "tests/import/ImportLines.h"

#include <gtest/gtest.h>

namespace
{

using Testing::ImportDocument;
using Testing::LandXml;

// Extension points with their codes; every one is also observed and, as a CgPoint with the
// code "cg", sent.
const std::pair<const char*, const char*> kPoints[] = {
    {"E0", ""}, {"P1", "W"}, {"P2", "Q"}, {"P3", "Q"}, {"P4", "Q"},
    {"A", "a"}, {"B", "b"},  {"C", "c"},  {"D", "d"},  {"M", "F"},
};

std::string Segment(const std::string& kind, const std::string& start, const std::string& end)
{
    return "<" + kind + "><Start pntRef=\"" + start + "\"/><End pntRef=\"" + end + "\"/></" + kind +
           ">";
}
std::string Line(const std::string& start, const std::string& end)
{
    return Segment("Line", start, end);
}

std::string Feature(const std::string& element, const char* name, const std::string& geometry)
{
    std::string text = "<" + element;
    if (name != nullptr)
        text += std::string(" name=\"") + name + "\"";
    return text + "><CoordGeom>" + geometry + "</CoordGeom></" + element + ">";
}
std::string PlanFeatures(const char* name, const std::string& geometry)
{
    return "<PlanFeatures>" + Feature("PlanFeature", name, geometry) + "</PlanFeatures>";
}

struct Codes
{
    std::string observed; // "name=code|..." from the observations, in kPoints order
    std::string sent;     // the same from the CgPoints
};

// Imports the points with the extension features and the standard sections.
Codes Import(const std::string& extensionFeatures, const std::string& sections,
             const std::string& version = "1.2")
{
    std::string extension = "<HexagonLandXML>";
    std::string cgPoints = "<CgPoints>";
    std::string survey = "<Survey><InstrumentSetup id=\"1\" stationName=\"S1\">";
    for (const auto& [name, code] : kPoints)
    {
        extension += std::string("<Point uniqueID=\"") + name + "\"><PointCode code=\"" + code +
                     "\"/></Point>";
        cgPoints += std::string("<CgPoint name=\"") + name + "\" code=\"cg\"/>";
        survey +=
            std::string("<RawObservation><TargetPoint name=\"") + name + "\"/></RawObservation>";
    }
    extension += extensionFeatures + "</HexagonLandXML>";
    cgPoints += "</CgPoints>";
    survey += "</InstrumentSetup></Survey>";
    const std::vector<std::string> lines =
        ImportDocument(LandXml(extension + cgPoints + sections + survey, version));
    auto observed = Testing::CodesByTarget(lines);
    auto sent = Testing::CodesByPoint(lines);
    Codes codes;
    for (const auto& [name, code] : kPoints)
    {
        const std::string separator = codes.observed.empty() ? "" : "|";
        codes.observed += separator + name + "=" + observed[name];
        codes.sent += separator + name + "=" + sent[name];
    }
    return codes;
}

// The codes of kPoints with the given ones changed, in the form of Codes.
std::string With(const std::vector<std::pair<std::string, std::string>>& changed,
                 const std::string& otherwise = "")
{
    std::string text;
    for (const auto& [name, code] : kPoints)
    {
        std::string value = otherwise.empty() ? code : otherwise;
        for (const auto& [changedName, changedCode] : changed)
            if (changedName == name)
                value = changedCode;
        text += (text.empty() ? "" : "|") + std::string(name) + "=" + value;
    }
    return text;
}

TEST(PlanFeatures, StandardFeaturesCodeTheirPointsInObservations)
{
    struct Case
    {
        const char* what;
        std::string sections;
        std::vector<std::pair<std::string, std::string>> codes;
    };
    const std::string wall = Line("P1", "P2") + Line("P2", "P3") + Line("P3", "P4");
    const Case cases[] = {
        {"three lines",
         PlanFeatures("WALL", wall),
         {{"P1", "W-WALL p"}, {"P2", "W-WALL"}, {"P3", "W-WALL"}, {"P4", "W-WALL e"}}},
        {"prefix before the last underscore",
         PlanFeatures("WALL_2", wall),
         {{"P1", "WALL-WALL_2 p"},
          {"P2", "WALL-WALL_2"},
          {"P3", "WALL-WALL_2"},
          {"P4", "WALL-WALL_2 e"}}},
        {"several underscores",
         PlanFeatures("A_B_C", Line("P1", "P2")),
         {{"P1", "A_B-A_B_C p"}, {"P2", "A_B-A_B_C e"}}},
        {"blanks in the name",
         PlanFeatures("FENCE 1_A", Line("P1", "P2")),
         {{"P1", "FENCE 1-FENCE_1_A p"}, {"P2", "FENCE 1-FENCE_1_A e"}}},
        {"curve first",
         PlanFeatures("WALL", Segment("Curve", "P1", "P2") + Line("P2", "P3")),
         {{"P1", "W-WALL a"}, {"P2", "W-WALL"}, {"P3", "W-WALL e"}}},
        {"curve later",
         PlanFeatures("WALL", Line("P1", "P2") + Segment("Curve", "P2", "P3")),
         {{"P1", "W-WALL p"}, {"P2", "W-WALL a"}, {"P3", "W-WALL e"}}},
        {"irregular line first",
         PlanFeatures("WALL", Segment("IrregularLine", "P1", "P2") + Line("P2", "P3")),
         {{"P1", "W-WALL s"}, {"P2", "W-WALL"}, {"P3", "W-WALL e"}}},
        {"last end point unknown",
         PlanFeatures("WALL", Line("P1", "P2") + Line("P2", "PX")),
         {{"P1", "W-WALL p"}, {"P2", "W-WALL"}}},
        {"end without pntRef",
         PlanFeatures("WALL", "<Line><Start pntRef=\"P1\"/><End/></Line>" + Line("P2", "P3")),
         {{"P2", "Q-WALL p"}, {"P3", "Q-WALL e"}}},
        {"start without pntRef",
         PlanFeatures("WALL", "<Line><Start/><End pntRef=\"P1\"/></Line>" + Line("P2", "P3")),
         {{"P2", "Q-WALL p"}, {"P3", "Q-WALL e"}}},
        {"segment without End",
         PlanFeatures("WALL", "<Line><Start pntRef=\"P1\"/></Line>" + Line("P2", "P3")),
         {{"P2", "Q-WALL p"}, {"P3", "Q-WALL e"}}},
        {"feature without name",
         PlanFeatures(nullptr, Line("P1", "P2")),
         {{"P1", "W p"}, {"P2", "W e"}}},
        {"unknown start does not start the feature",
         PlanFeatures("WALL", Line("PX", "P1") + Line("P1", "P2")),
         {{"P1", "W-WALL p"}, {"P2", "W-WALL e"}}},
        {"end code takes the end point's code without a prefix",
         PlanFeatures(nullptr, Line("PX", "P2")),
         {{"P2", "Q e"}}},
        {"an empty code leaves the prefix to the next start",
         PlanFeatures("WALL", Line("E0", "P1") + Line("P1", "P2")),
         {{"E0", "-WALL p"}, {"P1", "W-WALL"}, {"P2", "W-WALL e"}}},
        {"closed figure",
         PlanFeatures("WALL", Line("P1", "P2") + Line("P2", "P1")),
         {{"P1", "W-WALL p; W-WALL e"}, {"P2", "W-WALL"}}},
        {"two features through one point",
         "<PlanFeatures>" + Feature("PlanFeature", "A", Line("P1", "P2")) +
             Feature("PlanFeature", "B", Line("P2", "P3")) + "</PlanFeatures>",
         {{"P1", "W-A p"}, {"P2", "W-A e; Q-B p"}, {"P3", "Q-B e"}}},
        {"other geometry and children are not read",
         PlanFeatures("WALL", "<Spline><Chain>P1 P2 P3</Chain></Spline>"
                              "<Curve><Start pntRef=\"P1\"/><Mid pntRef=\"P3\"/>"
                              "<End pntRef=\"P2\"/></Curve>"),
         {{"P1", "W-WALL a"}, {"P2", "W-WALL e"}}},
        {"feature without CoordGeom",
         "<PlanFeatures><PlanFeature name=\"WALL\">" + Line("P1", "P2") +
             "</PlanFeature></PlanFeatures>",
         {}},
        {"parcel",
         "<Parcels>" + Feature("Parcel", "LOT", Line("P1", "P2")) + "</Parcels>",
         {{"P1", "W-LOT p"}, {"P2", "W-LOT e"}}},
        {"parcel under PlanFeatures",
         "<PlanFeatures>" + Feature("Parcel", "LOT", Line("P1", "P2")) + "</PlanFeatures>",
         {}},
        {"plan feature under Parcels",
         "<Parcels>" + Feature("PlanFeature", "LOT", Line("P1", "P2")) + "</Parcels>",
         {}},
        {"second PlanFeatures",
         PlanFeatures("A", Line("P1", "P2")) + PlanFeatures("B", Line("P3", "P4")),
         {{"P1", "W-A p"}, {"P2", "W-A e"}}},
        {"second Parcels",
         "<Parcels>" + Feature("Parcel", "A", Line("P1", "P2")) + "</Parcels><Parcels>" +
             Feature("Parcel", "B", Line("P3", "P4")) + "</Parcels>",
         {{"P1", "W-A p"}, {"P2", "W-A e"}}},
        {"plan features before parcels",
         "<Parcels>" + Feature("Parcel", "LOT", Line("P2", "P3")) + "</Parcels>" +
             PlanFeatures("A", Line("P1", "P2")),
         {{"P1", "W-A p"}, {"P2", "W-A e; Q-LOT p"}, {"P3", "Q-LOT e"}}},
    };
    for (const Case& c : cases)
    {
        const Codes codes = Import("", c.sections);
        EXPECT_EQ(codes.observed, With(c.codes)) << c.what;
        // The points were sent before the standard features were read.
        EXPECT_EQ(codes.sent, With({}, "cg")) << c.what;
    }
}

TEST(PlanFeatures, ExtensionFeaturesCodePointsAndObservations)
{
    struct Case
    {
        const char* what;
        std::string features; // children of the extension element
        std::vector<std::pair<std::string, std::string>> codes;
    };
    const auto spline = [](const char* name, const std::string& chain)
    { return Feature("PlanFeature", name, "<Spline><Chain>" + chain + "</Chain></Spline>"); };
    const auto bestFit = [](const char* name, const std::string& chain)
    {
        return Feature("PlanFeature", name,
                       "<BestFitCurve><Chain>" + chain + "</Chain></BestFitCurve>");
    };
    const Case cases[] = {
        {"spline drops its first and last point",
         spline("S", "A B C D"),
         {{"B", "b-S"}, {"C", "c-S"}}},
        {"spline of two points", spline("S", "A B"), {}},
        {"spline ending in a blank keeps its last point",
         spline("S", "A B C "),
         {{"B", "b-S"}, {"C", "c-S"}}},
        {"two blanks make an empty piece", spline("S", "A  B C"), {{"B", "b-S"}}},
        {"best-fit curve uses every point",
         bestFit("BF", "A B C"),
         {{"A", "a-BF"}, {"B", "b-BF"}, {"C", "c-BF"}}},
        {"feature without name", bestFit(nullptr, "A"), {{"A", "a"}}},
        {"empty chain", bestFit("BF", ""), {}},
        {"parcel",
         Feature("Parcel", "BF", "<BestFitCurve><Chain>D</Chain></BestFitCurve>"),
         {{"D", "d-BF"}}},
        {"lines are not read", Feature("PlanFeature", "L", Line("A", "B")), {}},
        {"curve without Mid", Feature("PlanFeature", "ARC", Segment("Curve", "M", "A")), {}},
        {"Mid without pntRef", Feature("PlanFeature", "ARC", "<Curve><Mid/></Curve>"), {}},
        {"nested features are not read",
         "<PlanFeatures>" + bestFit("BF", "A") + "</PlanFeatures>",
         {}},
        {"curve code of its middle point, copied by later features",
         Feature("PlanFeature", "ARC", "<Curve><Mid pntRef=\"M\"/></Curve>") + bestFit("BF", "M"),
         {{"M", "F-ARC-BF"}}},
    };
    for (const char* version : {"1.1", "1.2"})
        for (const Case& c : cases)
        {
            const Codes codes = Import(c.features, "", version);
            EXPECT_EQ(codes.observed, With(c.codes)) << c.what << ", version " << version;
            std::vector<std::pair<std::string, std::string>> sent;
            for (const auto& [name, code] : c.codes)
                sent.emplace_back(name, code);
            EXPECT_EQ(codes.sent, With(sent, "cg")) << c.what << ", version " << version;
        }
}

TEST(PlanFeatures, EmptyChainPiecesAreLookedUpLikeNames)
{
    // The extension point "@0" is recorded under the empty name; the observation of the target
    // with the empty name shows its code.
    struct Case
    {
        const char* element;
        const char* chain;
        const char* code; // of the point with the empty name
    };
    const Case cases[] = {
        {"Spline", "A  B", "z-S"}, // the empty piece between two blanks is used
        {"Spline", "A B ", "z-S"}, // the final empty piece after a blank is used
        {"Spline", " A B", "z"},   // the first piece is never used
        {"BestFitCurve", " A", "z-S"}, {"BestFitCurve", "A", "z"},
    };
    for (const Case& c : cases)
    {
        const std::vector<std::string> lines = ImportDocument(LandXml(
            std::string("<HexagonLandXML><Point uniqueID=\"@0\"><PointCode code=\"z\"/></Point>"
                        "<Point uniqueID=\"A\"><PointCode code=\"a\"/></Point>"
                        "<PlanFeature name=\"S\"><CoordGeom><") +
            c.element + "><Chain>" + c.chain + "</Chain></" + c.element +
            "></CoordGeom></PlanFeature></HexagonLandXML>"
            "<Survey><InstrumentSetup id=\"1\" stationName=\"S1\"><RawObservation>"
            "<TargetPoint name=\"\"/></RawObservation></InstrumentSetup></Survey>"));
        EXPECT_EQ(Testing::CodesByTarget(lines)[""], c.code)
            << c.element << " \"" << c.chain << "\"";
    }
}

TEST(PlanFeatures, CurveChangesTheOwnCodeOfItsMiddlePoint)
{
    // The own code is the base of an observation's code text, not of a point's.
    const Codes codes =
        Import(Feature("PlanFeature", "ARC", "<Curve><Mid pntRef=\"M\"/></Curve>"), "");
    EXPECT_EQ(codes.observed, With({{"M", "F-ARC"}}));
    EXPECT_EQ(codes.sent, With({}, "cg"));
}

TEST(PlanFeatures, ExtensionFeaturesDoNotReachPointsOfLandXml10)
{
    const Codes codes = Import(
        Feature("PlanFeature", "BF", "<BestFitCurve><Chain>A</Chain></BestFitCurve>"), "", "1.0");
    EXPECT_EQ(codes.observed, With({{"A", "a-BF"}}));
    EXPECT_EQ(codes.sent, With({}, "cg"));
}

TEST(PlanFeatures, ExtensionFeatureCodesPrecedeStandardOnes)
{
    const Codes codes =
        Import(Feature("PlanFeature", "BF", "<BestFitCurve><Chain>P1</Chain></BestFitCurve>"),
               PlanFeatures("WALL", Line("P1", "P2")));
    EXPECT_EQ(codes.observed, With({{"P1", "W-BF; W-WALL p"}, {"P2", "W-WALL e"}}));
    EXPECT_EQ(codes.sent, With({{"P1", "W-BF"}}, "cg"));
}

} // namespace
