// Imports with the host, checked by the rule checker and recorded: straight through
// CLandXMLImporter, or through the driver. Whatever leaves the import is caught here and
// classified; only the kinds the plug-in may let go (std::bad_alloc and HResultError) are not
// findings by themselves.

#include "fuzz/AllocationFailure.h"
#include "fuzz/Targets.h"
#include "import/LandXMLImporter.h"
#include "plugin/HResultError.h"
#include "plugin/ImportDriver.h"
#include "tests/support/Files.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <rapidxml/rapidxml.hpp>

namespace Fuzzing
{
namespace
{

// What left the import, noted without allocating: the counting may still be armed.
enum class Left
{
    Nothing,
    BadAlloc,
    HResult,
    ParseError,
    Standard,
    Unknown,
};

struct Escape
{
    Left kind = Left::Nothing;
    std::int32_t code = 0;
    char what[128] = {};
};

template <typename Work> Escape RunCatching(Work work)
{
    Escape escape;
    try
    {
        work();
    }
    catch (const std::bad_alloc&)
    {
        escape.kind = Left::BadAlloc;
    }
    catch (const Plugin::HResultError& error)
    {
        escape.kind = Left::HResult;
        escape.code = error.Code();
    }
    catch (const rapidxml::parse_error&)
    {
        escape.kind = Left::ParseError;
    }
    catch (const std::exception& error)
    {
        escape.kind = Left::Standard;
        std::strncpy(escape.what, error.what(), sizeof escape.what - 1);
    }
    catch (...)
    {
        escape.kind = Left::Unknown;
    }
    return escape;
}

void Classify(const Escape& escape, ImportRun& run)
{
    run.errorLeft = escape.kind != Left::Nothing;
    switch (escape.kind)
    {
    case Left::Nothing:
        break;
    case Left::BadAlloc:
        run.error = "std::bad_alloc";
        break;
    case Left::HResult:
    {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(escape.code));
        run.error = std::string("HResultError ") + code;
        break;
    }
    case Left::ParseError:
        run.error = "rapidxml::parse_error";
        run.findings.push_back("the XML parser's error left the import");
        break;
    case Left::Standard:
        run.error = std::string("std::exception: ") + escape.what;
        run.findings.push_back("an exception the plug-in may not raise left the import: " +
                               run.error);
        break;
    case Left::Unknown:
        run.error = "unknown exception";
        run.findings.push_back("an exception of unknown type left the import");
        break;
    }
}

struct WorkFolderWithImages : Testing::TempFolder
{
    WorkFolderWithImages()
    {
        Write("Images/IMG1.jpg", "jpeg");
        Write("pics/IMG2.jpg", "jpeg");
    }
};

// The host of one import: its calls are checked, then recorded.
struct CheckedHost
{
    explicit CheckedHost(const DocumentChoices& choices)
        : record(choices.longestText), checker(record), sink(checker, choices.host)
    {
    }

    void TakeRecord(ImportRun& run)
    {
        checker.FinishImport(sink, run.errorLeft);
        run.findings.insert(run.findings.end(), checker.Problems().begin(),
                            checker.Problems().end());
        run.files = checker.Files();
        for (const Host::Call& call : record.Calls())
        {
            if (call.object == Host::NameOf(Host::Object::Paths))
                run.enumeratorCalls.push_back(call.method);
            else
                run.lines.push_back(Host::FormatCall(call));
        }
    }

    Host::Recorder record;
    RuleChecker checker;
    Host::Sink sink;
};

} // namespace

const std::filesystem::path& WorkFolder()
{
    static const WorkFolderWithImages folder;
    return folder.Path();
}

ImportRun ParseBytes(const std::string& bytes, const DocumentChoices& choices)
{
    ImportRun run;
    CheckedHost checked(choices);
    Host::Sink& host = checked.sink;
    const Plugin::WideString path = Host::HostPath(WorkFolder() / "document.xml");
    std::vector<char> buffer(bytes.size() + 1, '\0');
    std::memcpy(buffer.data(), bytes.data(), bytes.size());
    const bool setting = choices.considerPrismConstant;

    // The driver's part: BeginFile before, progress 100 after, the importer in between.
    host.BeginFile(path.c_str());
    StartCountingAllocations(choices.failAt);
    const Escape escape = RunCatching(
        [&]
        {
            Plugin::CLandXMLImporter importer(&host, &setting, path);
            importer.ParseDocument(buffer.data());
            host.SetProgress(100.0f);
        });
    run.failureRaised = AllocationFailureRaised();
    run.allocations = StopCountingAllocations();
    Classify(escape, run);
    checked.TakeRecord(run);
    return run;
}

ImportRun ImportPaths(const std::vector<std::filesystem::path>& paths,
                      const DocumentChoices& choices)
{
    ImportRun run;
    CheckedHost host(choices);
    std::vector<Plugin::WideString> hostPaths;
    for (const auto& path : paths)
        hostPaths.push_back(Host::HostPath(path));
    Host::PathList list(hostPaths, &host.checker);
    const bool setting = choices.considerPrismConstant;

    StartCountingAllocations(choices.failAt);
    const Escape escape = RunCatching([&] { Plugin::ImportFiles(list, host.sink, &setting); });
    run.failureRaised = AllocationFailureRaised();
    run.allocations = StopCountingAllocations();
    Classify(escape, run);
    host.TakeRecord(run);
    return run;
}

} // namespace Fuzzing
