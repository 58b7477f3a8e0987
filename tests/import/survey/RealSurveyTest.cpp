// A real LandXML 1.2 survey from field software: its setups are announced, while its groups name
// no stored setup id and its targets carry coordinates instead of a name.

#include "tests/import/survey/SurveyLines.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace
{

const std::filesystem::path kRealFolder = Testing::RealDataFolder();

// The samples that hold raw observations.
std::vector<std::filesystem::path> SamplesWithRawObservations()
{
    std::vector<std::filesystem::path> samples;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kRealFolder, error))
        if (entry.path().extension() == ".xml" &&
            Testing::ReadBytes(entry.path()).find("<RawObservation") != std::string::npos)
            samples.push_back(entry.path());
    return samples;
}

TEST(RealSurvey, SetupsAreAnnouncedAndUnnamedTargetsDropped)
{
    if (!std::filesystem::is_directory(kRealFolder))
        GTEST_SKIP() << "no real samples at " << kRealFolder.string();
    const std::vector<std::filesystem::path> samples = SamplesWithRawObservations();
    ASSERT_EQ(samples.size(), 1u);

    std::vector<std::string> calls;
    for (const std::string& line :
         Testing::SinkCalls(Testing::ImportPaths({samples[0]}, kRealFolder)))
        if (!SurveyTesting::Begins(line, "BeginFile(") &&
            !SurveyTesting::Begins(line, "SetProgress("))
            calls.push_back(line);
    // The CgPoints inside its Survey are not a section of the root and are not read either.
    const std::vector<std::string> expected = {
        "SetStation(\"STAZLIB3\")", "SetInstrumentHeight(1.35)", "SetStation(\"STAZLIB4\")",
        "SetInstrumentHeight(1.33)"};
    EXPECT_EQ(calls, expected);
}

} // namespace
