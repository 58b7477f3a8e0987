// Whole imports against reviewed traces: every name.xml in this folder is imported in place and
// its host record compared with name.trace. LANDXML_UPDATE_GOLDEN=1 rewrites the traces; review
// the diff of every trace changed that way.

#include "tests/support/TestImport.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

namespace
{

const std::filesystem::path kGoldenFolder = std::filesystem::path(LANDXML_TEST_DIR) / "golden";

TEST(GoldenTraces, EveryDocumentImportsAsItsTrace)
{
    const bool update = std::getenv("LANDXML_UPDATE_GOLDEN") != nullptr;
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kGoldenFolder))
    {
        if (entry.path().extension() != ".xml")
            continue;
        Testing::ImportOptions options;
        const std::string stem = entry.path().stem().string();
        // Documents named *-noprism import with the prism-constant setting off, *-noext with
        // a host that has no sink extension.
        options.considerPrismConstant = stem.find("-noprism") == std::string::npos;
        if (stem.find("-noext") != std::string::npos)
            options.host.pointExtension = options.host.observationExtension = false;
        const std::string actual =
            Testing::JoinLines(Testing::ImportPaths({entry.path()}, kGoldenFolder, options));
        std::filesystem::path tracePath = entry.path();
        tracePath.replace_extension(".trace");
        if (update)
        {
            std::ofstream(tracePath, std::ios::binary) << actual;
            continue;
        }
        ASSERT_TRUE(std::filesystem::exists(tracePath)) << tracePath.string() << " is missing";
        EXPECT_EQ(Testing::ReadBytes(tracePath), actual) << "trace of " << stem;
        ++compared;
    }
    if (!update)
    {
        EXPECT_GT(compared, 0);
    }
}

} // namespace
