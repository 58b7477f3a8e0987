// Imports with the checking host: straight through CLandXMLImporter, or through the driver.
// Whatever leaves the import is caught here and classified; only the kinds the plug-in may let
// go (std::bad_alloc and HResultError) are not findings by themselves.

#include "fuzz/AllocationFailure.h"
#include "fuzz/Targets.h"
#include "import/LandXMLImporter.h"
#include "plugin/HResultError.h"
#include "plugin/ImportDriver.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>
#include <rapidxml/rapidxml.hpp>

namespace Fuzzing
{
namespace
{

class Folder
{
public:
    Folder()
    {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path = std::filesystem::temp_directory_path() /
               ("landxml-fuzz-" + std::to_string(stamp) + "-" +
                std::to_string(reinterpret_cast<std::uintptr_t>(this) & 0xFFFFu));
        std::filesystem::create_directories(path / "Images");
        std::filesystem::create_directories(path / "pics");
        std::ofstream(path / "Images" / "IMG1.jpg", std::ios::binary) << "jpeg";
        std::ofstream(path / "pics" / "IMG2.jpg", std::ios::binary) << "jpeg";
    }
    ~Folder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    std::filesystem::path path;
};

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

void TakeHostRecord(CheckingHost& host, ImportRun& run)
{
    host.FinishImport(run.errorLeft);
    run.findings.insert(run.findings.end(), host.Problems().begin(), host.Problems().end());
    run.files = host.Files();
    run.lines = host.Lines();
}

// The host's enumerator, its calls counted as host code.
class Paths final : public Plugin::IPathEnumerator
{
public:
    explicit Paths(std::vector<Plugin::WideString> paths) : inner(std::move(paths)) {}

    bool HasCurrent() override
    {
        const HostCode hostCode;
        return inner.HasCurrent();
    }
    void MoveNext() override
    {
        const HostCode hostCode;
        inner.MoveNext();
    }
    const Plugin::WideChar* GetCurrent() override
    {
        const HostCode hostCode;
        return inner.GetCurrent();
    }
    void Reset() override
    {
        const HostCode hostCode;
        inner.Reset();
    }
    const std::vector<std::string>& Calls() const { return inner.Calls(); }

private:
    Host::PathList inner;
};

} // namespace

const std::filesystem::path& WorkFolder()
{
    static const Folder folder;
    return folder.path;
}

Plugin::WideString HostPath(const std::filesystem::path& path)
{
    return Host::ToWideString(path.lexically_normal().make_preferred().u16string());
}

ImportRun ParseBytes(const std::string& bytes, const DocumentChoices& choices)
{
    ImportRun run;
    CheckingHost host(choices.host);
    const Plugin::WideString path = HostPath(WorkFolder() / "document.xml");
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
    TakeHostRecord(host, run);
    return run;
}

ImportRun ImportPaths(const std::vector<std::filesystem::path>& paths,
                      const DocumentChoices& choices)
{
    ImportRun run;
    CheckingHost host(choices.host);
    std::vector<Plugin::WideString> hostPaths;
    for (const auto& path : paths)
        hostPaths.push_back(HostPath(path));
    Paths list(hostPaths);
    const bool setting = choices.considerPrismConstant;

    StartCountingAllocations(choices.failAt);
    const Escape escape = RunCatching([&] { Plugin::ImportFiles(list, host, &setting); });
    run.failureRaised = AllocationFailureRaised();
    run.allocations = StopCountingAllocations();
    Classify(escape, run);
    TakeHostRecord(host, run);
    run.enumeratorCalls = list.Calls();
    return run;
}

} // namespace Fuzzing
