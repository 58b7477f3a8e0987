#include "benchmarks/generator/SyntheticLandXml.h"

#include <gtest/gtest.h>
#include <rapidxml/rapidxml.hpp>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace Benchmark
{
namespace
{

using Node = rapidxml::xml_node<char>;

SyntheticOptions Options(std::uint64_t bytes, std::uint64_t seed)
{
    SyntheticOptions options;
    options.targetBytes = bytes;
    options.seed = seed;
    return options;
}

std::uint64_t CountChildren(const Node* parent, const char* name)
{
    std::uint64_t count = 0;
    for (const Node* child = parent->first_node(name); child; child = child->next_sibling(name))
        ++count;
    return count;
}

std::uint64_t CountGrandchildren(const Node* parent, const char* middle, const char* name)
{
    std::uint64_t count = 0;
    for (const Node* child = parent->first_node(middle); child; child = child->next_sibling(middle))
        count += CountChildren(child, name);
    return count;
}

TEST(SyntheticLandXml, SameSeedGivesSameBytesOtherSeedOtherBytes)
{
    const std::string reference = SyntheticLandXml(Options(256 * 1024, 7));
    const std::pair<std::uint64_t, bool> cases[] = {{7, true}, {8, false}, {1, false}};
    for (const auto& [seed, same] : cases)
        EXPECT_EQ(SyntheticLandXml(Options(256 * 1024, seed)) == reference, same)
            << "seed " << seed;
}

TEST(SyntheticLandXml, FileAndMemoryHoldTheSameDocument)
{
    const SyntheticOptions options = Options(512 * 1024, 3);
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    const SyntheticCounts counts = WriteSyntheticLandXml(options, file);
    std::rewind(file);
    std::string written(counts.bytes, '\0');
    EXPECT_EQ(std::fread(written.data(), 1, written.size(), file), written.size());
    EXPECT_EQ(std::fgetc(file), EOF);
    std::fclose(file);
    EXPECT_EQ(written, SyntheticLandXml(options));
}

TEST(SyntheticLandXml, SizeComesCloseToTheTarget)
{
    const std::uint64_t blockBytes =
        CountSyntheticLandXml(2, 1).bytes - CountSyntheticLandXml(1, 1).bytes;
    const std::uint64_t targets[] = {1u << 20, 3u << 20, 16u << 20};
    for (const std::uint64_t target : targets)
    {
        const std::uint64_t bytes = CountSyntheticLandXml(BlocksForSize(target, 1), 1).bytes;
        const std::uint64_t miss = bytes > target ? bytes - target : target - bytes;
        EXPECT_LE(miss, std::max(target / 100, blockBytes)) << "target " << target;
    }
    EXPECT_EQ(BlocksForSize(1, 1), 1u);
}

TEST(SyntheticLandXml, ImagesGrowWithTheSize)
{
    const SyntheticCounts small = CountSyntheticLandXml(BlocksForSize(1u << 20, 1), 1);
    const SyntheticCounts large = CountSyntheticLandXml(BlocksForSize(8u << 20, 1), 1);
    EXPECT_GT(large.pointImages, 6 * small.pointImages);
    EXPECT_GT(large.setupImages, 6 * small.setupImages);
    EXPECT_GT(large.tpsImagesOfPoints, 6 * small.tpsImagesOfPoints);
}

TEST(SyntheticLandXml, CountsMatchTheParsedDocument)
{
    SyntheticCounts counts;
    std::string text = SyntheticLandXml(Options(1u << 20, 5), &counts);
    ASSERT_EQ(text.size(), counts.bytes);
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back(0);
    const auto tree = std::make_unique<rapidxml::xml_document<char>>();
    ASSERT_NO_THROW(tree->parse<rapidxml::parse_declaration_node>(buffer.data()));

    const Node* root = tree->first_node("LandXML");
    ASSERT_NE(root, nullptr);
    const Node* extension = root->first_node("HexagonLandXML");
    ASSERT_NE(extension, nullptr);
    const Node* survey = root->first_node("Survey");
    const Node* extensionSurvey = extension->first_node("Survey");
    ASSERT_NE(survey, nullptr);
    ASSERT_NE(extensionSurvey, nullptr);

    std::uint64_t tpsImages = 0;
    for (const Node* setup = extensionSurvey->first_node("InstrumentSetup"); setup;
         setup = setup->next_sibling("InstrumentSetup"))
        tpsImages += CountChildren(setup, "TPSImage");

    std::uint64_t pointImages = 0;
    for (const Node* point = extension->first_node("Point"); point;
         point = point->next_sibling("Point"))
        if (const Node* onboard = point->first_node("OnboardImages"))
            pointImages += CountChildren(onboard, "landxml:DocFileRef");

    const struct
    {
        const char* what;
        std::uint64_t found;
        std::uint64_t counted;
    } cases[] = {
        {"CgPoint", CountGrandchildren(root, "CgPoints", "CgPoint"), counts.cgPoints},
        {"PlanFeature", CountGrandchildren(root, "PlanFeatures", "PlanFeature"),
         counts.planFeatures},
        {"Parcel", CountGrandchildren(root, "Parcels", "Parcel"), counts.parcels},
        {"InstrumentSetup", CountChildren(survey, "InstrumentSetup"), counts.setups},
        {"RawObservation", CountGrandchildren(survey, "ObservationGroup", "RawObservation"),
         counts.rawObservations},
        {"extension Point", CountChildren(extension, "Point"), counts.extensionPoints},
        {"OnboardImages image", pointImages, counts.pointImages},
        {"extension PlanFeature", CountChildren(extension, "PlanFeature"),
         counts.extensionFeatures},
        {"TPSCorrection", CountChildren(extensionSurvey, "TPSCorrection"), counts.tpsCorrections},
        {"extension RawObservation",
         CountGrandchildren(extensionSurvey, "InstrumentSetup", "RawObservation"),
         counts.extensionObservations},
        {"TPSImage", tpsImages, counts.tpsImagesOfPoints + counts.setupImages},
    };
    for (const auto& row : cases)
    {
        EXPECT_EQ(row.found, row.counted) << row.what;
        EXPECT_GT(row.counted, 0u) << row.what;
    }
}

TEST(SyntheticLandXml, UnitsAndAnglesAreWrittenAsTheBenchmarkNeeds)
{
    std::string text = SyntheticLandXml(Options(64 * 1024, 1));
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back(0);
    const auto tree = std::make_unique<rapidxml::xml_document<char>>();
    tree->parse<rapidxml::parse_declaration_node>(buffer.data());
    const Node* metric = tree->first_node("LandXML")->first_node("Units")->first_node("Metric");
    ASSERT_NE(metric, nullptr);
    EXPECT_STREQ(metric->first_attribute("angularUnit")->value(), "decimal dd.mm.ss");
    EXPECT_STREQ(metric->first_attribute("pressureUnit")->value(), "HPA");

    const Node* observation = tree->first_node("LandXML")
                                  ->first_node("Survey")
                                  ->first_node("ObservationGroup")
                                  ->first_node("RawObservation");
    ASSERT_NE(observation, nullptr);
    // Degrees, then two digits each of minutes, seconds and hundredths.
    const std::string angle = observation->first_attribute("horizAngle")->value();
    const std::size_t point = angle.find('.');
    ASSERT_NE(point, std::string::npos) << angle;
    EXPECT_EQ(angle.size() - point - 1, 6u) << angle;
    EXPECT_LT(std::stoi(angle.substr(point + 1, 2)), 60) << angle;
    EXPECT_EQ(std::strlen(observation->first_attribute("timeStamp")->value()), 19u);
}

} // namespace
} // namespace Benchmark
