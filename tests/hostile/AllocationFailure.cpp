// A file larger than the memory left: the driver reads each file whole before parsing, so the
// buffer's allocation fails, and std::bad_alloc must leave the import as designed: nothing more
// is sent for that file after its BeginFile, the second path is never visited, and every host
// object is released. The import runs in a child process whose address space is limited; where
// there is no such thing (or a sanitizer's allocator would end the process instead of failing
// the allocation), the test skips.

#include "tests/hostile/HostileSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestImport.h"

#include <fstream>
#include <gtest/gtest.h>

namespace
{

constexpr std::size_t kHeadroom = std::size_t{256} << 20;
constexpr std::uintmax_t kBigFile = std::uintmax_t{1} << 30;

// Exit codes of the child: what went wrong.
enum Outcome : int
{
    AsDesigned = 0,
    NothingLeft = 10,
    OtherErrorLeft = 11,
    HostRulesBroken = 12,
    CallsAfterBeginFile = 13,
    SecondPathVisited = 14,
    SecondFileNotImported = 15,
};

const char* Meaning(int status)
{
    switch (status)
    {
    case NothingLeft:
        return "no error left the import";
    case OtherErrorLeft:
        return "an error other than std::bad_alloc left the import";
    case HostRulesBroken:
        return "the host's rules were broken (objects left, or calls after the failure)";
    case CallsAfterBeginFile:
        return "the sink received calls for the file after BeginFile";
    case SecondPathVisited:
        return "the enumerator was moved on to the second path";
    case SecondFileNotImported:
        return "the small file alone did not import under the same limit";
    default:
        return "the child ended otherwise";
    }
}

TEST(AllocationFailure, AFileLargerThanTheMemoryLeftEndsTheImport)
{
    if (Testing::RunInChildWithMemoryLimit(kHeadroom, [] { return 0; }) == -1)
        GTEST_SKIP() << "no child process with a memory limit in this build or system";

    const Testing::TempFolder folder;
    const auto big = folder.Child("big.xml");
    std::ofstream(big, std::ios::binary) << "<LandXML>";
    std::filesystem::resize_file(big, kBigFile); // sparse: takes no room on disk
    const auto second = folder.Write(
        "second.xml", Testing::LandXml("<CgPoints><CgPoint name=\"P\">1 2 3</CgPoint></CgPoints>"));

    // The limit itself works: the small file alone imports under it.
    const int control = Testing::RunInChildWithMemoryLimit(
        kHeadroom,
        [&]
        {
            const Fuzzing::ImportRun run = Fuzzing::ImportPaths({second});
            const bool imported = !run.errorLeft && run.findings.empty() && run.files.size() == 1 &&
                                  run.files[0].finished && !run.files[0].formatError;
            return imported ? AsDesigned : SecondFileNotImported;
        });
    ASSERT_EQ(control, AsDesigned) << Meaning(control);

    const int status = Testing::RunInChildWithMemoryLimit(
        kHeadroom,
        [&]
        {
            const Fuzzing::ImportRun run = Fuzzing::ImportPaths({big, second});
            if (!run.errorLeft)
                return NothingLeft;
            if (run.error != "std::bad_alloc")
                return OtherErrorLeft;
            if (!run.findings.empty())
                return HostRulesBroken;
            const Plugin::WideString path = Host::HostPath(big);
            if (run.lines != std::vector<std::string>{Hostile::TextCall(
                                 "BeginFile", std::u16string(path.begin(), path.end()))})
                return CallsAfterBeginFile;
            if (run.enumeratorCalls !=
                std::vector<std::string>{"Reset", "HasCurrent", "GetCurrent"})
                return SecondPathVisited;
            return AsDesigned;
        });
    EXPECT_EQ(status, AsDesigned) << Meaning(status);
}

} // namespace
