// Every fuzz target replays its seed corpus, fuzz/corpus/<target>/, as a plain test in every
// build: the seeds and every input a fuzz run found a fault with stay regression tests. With
// LANDXML_FUZZ_CORPUS set to a folder of <target>/ folders (such as build/fuzz/corpus, the
// working corpus fuzz/run-bounded.sh leaves), that corpus is replayed instead, for instance in
// the Windows build, whose platform layer the fuzz runs never see.

#include "fuzz/Targets.h"
#include "tools/host/Files.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>

namespace
{

std::filesystem::path CorpusFolder()
{
    if (const char* chosen = std::getenv("LANDXML_FUZZ_CORPUS"))
        return std::filesystem::u8path(chosen);
    return std::filesystem::path(LANDXML_FUZZ_CORPUS_DIR);
}

struct Target
{
    const char* folder;
    Fuzzing::Findings (*run)(const std::uint8_t*, std::size_t);
};

const Target kTargets[] = {
    {"import_document", Fuzzing::ImportDocument},
    {"text_decoding", Fuzzing::DecodeText},
    {"convert_angle", Fuzzing::ConvertAngleText},
    {"point_coordinates", Fuzzing::SplitCoordinates},
};

// The test's name shows the target by its folder.
void PrintTo(const Target& target, std::ostream* out)
{
    *out << target.folder;
}

class FuzzCorpusReplay : public testing::TestWithParam<Target>
{
};

TEST_P(FuzzCorpusReplay, EverySeedKeepsEveryProperty)
{
    const std::filesystem::path folder = CorpusFolder() / GetParam().folder;
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder.string();
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    ASSERT_FALSE(inputs.empty()) << "no seeds in " << folder.string();
    for (const auto& input : inputs)
    {
        const std::string bytes = Host::ReadBytes(input);
        const Fuzzing::Findings findings =
            GetParam().run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        for (const std::string& finding : findings)
            ADD_FAILURE() << input.filename().string() << ": " << finding;
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpusReplay, testing::ValuesIn(kTargets),
                         [](const testing::TestParamInfo<Target>& target)
                         { return std::string(target.param.folder); });

} // namespace
