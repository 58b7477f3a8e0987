// The checked import's runs: straight through CLandXMLImporter, through the driver, or the plug-in
// object driven as a host does. Whatever leaves the plug-in is caught here and classified; nothing
// may leave a slot.

#include "tools/host/ImportRuns.h"

#include "import/LandXMLImporter.h"
#include "platform/HResultError.h"
#include "plugin/ImportDriver.h"
#include "plugin/ImportPlugin.h"
#include "tools/host/AllocationFailure.h"
#include "tools/host/Files.h"
#include "tools/host/HostLibrary.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>
#include <rapidxml/rapidxml.hpp>

namespace Host
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

// Nothing may leave a slot of the plug-in: every escape is a finding.
void Classify(const Escape& escape, ImportRun& run)
{
    run.errorLeft = escape.kind != Left::Nothing;
    switch (escape.kind)
    {
    case Left::Nothing:
        return;
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
        break;
    case Left::Standard:
        run.error = std::string("std::exception: ") + escape.what;
        break;
    case Left::Unknown:
        run.error = "unknown exception";
        break;
    }
    run.findings.push_back("an exception left the plug-in: " + run.error);
}

struct WorkFolderWithImages : TempFolder
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
        for (const Call& call : record.Calls())
        {
            if (call.object == NameOf(Object::Paths))
                run.enumeratorCalls.push_back(call.method);
            else
                run.lines.push_back(FormatCall(call));
        }
    }

    Recorder record;
    RuleChecker checker;
    Sink sink;
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
    Sink& host = checked.sink;
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
            importer.ParseDocument(buffer.data(), bytes.size());
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
        hostPaths.push_back(HostPath(path));
    PathList list(hostPaths, &host.checker);
    const bool setting = choices.considerPrismConstant;

    StartCountingAllocations(choices.failAt);
    const Escape escape = RunCatching([&] { Plugin::ImportFiles(list, host.sink, &setting); });
    run.failureRaised = AllocationFailureRaised();
    run.allocations = StopCountingAllocations();
    Classify(escape, run);
    host.TakeRecord(run);
    return run;
}

ImportRun DrivePlugin(const std::string& bytes, const DocumentChoices& choices)
{
    const std::filesystem::path document = WorkFolder() / "plugin.xml";
    {
        std::ofstream out(document, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ImportRun run;
    CheckedHost host(choices);
    std::vector<Plugin::WideString> hostPaths = {HostPath(document),
                                                 HostPath(WorkFolder() / "missing.xml")};
    PathList list(hostPaths, &host.checker);
    SettingsStore settings;
    settings.hasValue = true;
    settings.value = choices.considerPrismConstant ? 1 : 0;
    PropertyListView view(&host.checker);

    // Each slot on its own: what leaves one is noted, and the armed failure, once raised, is
    // noted with its slot and not raised again, so that the slots after it run as usual.
    StartCountingAllocations(choices.failAt);
    const auto slot = [&](const char* name, auto call)
    {
        const Escape escape = RunCatching(call);
        if (escape.kind != Left::Nothing && !run.errorLeft)
            Classify(escape, run);
        if (AllocationFailureRaised())
        {
            run.failureRaised = true;
            run.failedSlot = name;
            run.allocations += StopCountingAllocations();
            StartCountingAllocations(0);
        }
    };
    Plugin::IGroundBasedMIP* plugin = nullptr;
    slot("CreatePlugin", [&] { plugin = Plugin::CImportPluginImpl::Create(); });
    if (plugin != nullptr)
    {
        slot("GetName", [&] { FreeBstr(plugin->GetName()); });
        slot("GetFileFilter", [&] { FreeBstr(plugin->GetFileFilter()); });
        slot("GetFormatName", [&] { FreeBstr(plugin->GetFormatName()); });
        slot("LoadSettings", [&] { plugin->LoadSettings(&settings); });
        slot("FillPropertyList",
             [&] { plugin->GetPropertyListController()->FillPropertyList(&view); });
        slot("Import", [&] { plugin->Import(&list, &host.sink); });
        slot("Release", [&] { plugin->Release(); });
    }
    else if (!run.failureRaised)
    {
        run.findings.push_back("CreatePlugin returned null without a failure");
    }
    run.allocations += StopCountingAllocations();
    host.TakeRecord(run);
    for (const std::string& misuse : view.Misuse())
        run.findings.push_back("property list misuse: " + misuse);
    std::filesystem::remove(document);
    return run;
}

} // namespace Host
