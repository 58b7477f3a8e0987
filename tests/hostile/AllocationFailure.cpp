// A file larger than the memory left: the driver reads each file whole before parsing, so the
// buffer's allocation fails. That file alone fails: it is reported with the system's text for
// running out of memory, the second path is imported as usual, nothing leaves the import, and
// every host object is released. The import runs in a child process whose address space is limited;
// where there is no such thing (or a sanitizer's allocator would end the process instead of failing
// the allocation), the test skips.

#include "platform/HResultError.h"
#include "platform/Platform.h"
#include "tests/hostile/HostileSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestImport.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace
{

constexpr std::size_t kHeadroom = std::size_t{256} << 20;
constexpr std::uintmax_t kBigFile = std::uintmax_t{1} << 30;

// Exit codes of the child: what went wrong.
enum Outcome : int
{
    AsDesigned = 0,
    ErrorLeft = 10,
    HostRulesBroken = 12,
    NotReported = 13,
    SecondFileNotImported = 15,
};

const char* Meaning(int status)
{
    switch (status)
    {
    case ErrorLeft:
        return "an error left the import";
    case HostRulesBroken:
        return "the host's rules were broken (objects left, or calls out of order)";
    case NotReported:
        return "the big file did not get SetFileResult(-1), the error's text and progress 100";
    case SecondFileNotImported:
        return "the small file was not imported under the same limit";
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
    const auto imports = [](const Host::FileOutcome& file)
    { return file.finished && !file.formatError && !file.failed; };
    const int control = Testing::RunInChildWithMemoryLimit(
        kHeadroom,
        [&]
        {
            const Host::ImportRun run = Host::ImportPaths({second});
            return !run.errorLeft && run.findings.empty() && run.files.size() == 1 &&
                           imports(run.files[0])
                       ? AsDesigned
                       : SecondFileNotImported;
        });
    ASSERT_EQ(control, AsDesigned) << Meaning(control);

    const int status = Testing::RunInChildWithMemoryLimit(
        kHeadroom,
        [&]
        {
            const Host::ImportRun run = Host::ImportPaths({big, second});
            if (run.errorLeft)
                return ErrorLeft;
            if (!run.findings.empty())
                return HostRulesBroken;
            Plugin::WideChar text[512];
            if (!Platform::SystemErrorText(Plugin::E_OUTOFMEMORY_HR, text, std::size(text)))
                return NotReported;
            const Plugin::WideString path = Host::HostPath(big);
            const std::vector<std::string> report = {
                Hostile::TextCall("BeginFile", std::u16string(path.begin(), path.end())),
                "SetFileResult(-1)", Hostile::TextCall("ReportError", Host::FromWide(text)),
                "SetProgress(100)"};
            if (run.lines.size() < report.size() ||
                !std::equal(report.begin(), report.end(), run.lines.begin()))
                return NotReported;
            if (run.files.size() != 2 || !run.files[0].failed || !imports(run.files[1]))
                return SecondFileNotImported;
            return AsDesigned;
        });
    EXPECT_EQ(status, AsDesigned) << Meaning(status);
}

} // namespace
