#include "tools/landxml-probe/Run.h"

#include "tools/host/HostLibrary.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"
#include "tools/landxml-probe/DocumentContents.h"
#include "tools/landxml-probe/OutputFile.h"
#include "tools/landxml-probe/Paths.h"
#include "tools/landxml-probe/Plan.h"
#include "tools/landxml-probe/Summary.h"
#include "tools/landxml-probe/TextEncoding.h"
#include "tools/landxml-probe/Units.h"

#include <exception>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace Probe
{

namespace
{

Host::Call MakeCall(std::string object, std::string method, std::vector<Host::Value> arguments,
                    Host::Value result)
{
    Host::Call call;
    call.object = std::move(object);
    call.method = std::move(method);
    call.arguments = std::move(arguments);
    call.hasResult = true;
    call.result = std::move(result);
    return call;
}

Host::Value TextResult(Plugin::BSTR text)
{
    if (text == nullptr)
        return Host::Null{};
    Host::Value value = Host::Text{Host::FromWide(text)};
    Host::FreeBstr(text);
    return value;
}

// Replaces the folder in every text by "<dir>", with either separator after it, so that output
// does not depend on where the files lie.
class FolderMask
{
public:
    explicit FolderMask(const std::string& folderUtf8)
    {
        if (folderUtf8.empty())
            return;
        folder = PathText(FullPath(folderUtf8));
        while (!folder.empty() && (folder.back() == u'/' || folder.back() == u'\\'))
            folder.pop_back();
    }

    std::u16string Apply(std::u16string text) const
    {
        if (folder.empty())
            return text;
        for (const char16_t separator : {u'/', u'\\'})
        {
            const std::u16string prefix = folder + separator;
            for (std::size_t at = 0; (at = text.find(prefix, at)) != std::u16string::npos;
                 at += kMask.size())
                text.replace(at, prefix.size(), kMask);
        }
        return text;
    }

    Host::Call Apply(Host::Call call) const
    {
        for (Host::Value& argument : call.arguments)
            if (auto* text = std::get_if<Host::Text>(&argument))
                text->value = Apply(std::move(text->value));
        if (auto* text = std::get_if<Host::Text>(&call.result))
            text->value = Apply(std::move(text->value));
        return call;
    }

private:
    static inline const std::u16string kMask = u"<dir>/";
    std::u16string folder;
};

nlohmann::ordered_json ToJson(const Host::Value& value)
{
    if (const auto* text = std::get_if<Host::Text>(&value))
        return Host::ToUtf8(text->value);
    if (const auto* number = std::get_if<double>(&value))
        return *number;
    if (const auto* integer = std::get_if<int>(&value))
        return *integer;
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag;
    return nullptr;
}

std::string JsonLine(const Host::Call& call)
{
    nlohmann::ordered_json line;
    line["object"] = call.object.empty() ? "sink" : call.object;
    line["call"] = call.method;
    line["args"] = nlohmann::ordered_json::array();
    for (const Host::Value& argument : call.arguments)
        line["args"].push_back(ToJson(argument));
    if (call.hasResult)
        line["result"] = ToJson(call.result);
    return line.dump();
}

bool StartsFile(const Host::Call& call)
{
    return call.object.empty() && call.method == "BeginFile";
}

// Prints the record: calls before the import, the import's calls under a header per file, calls
// after it; unless only the summary is asked for. Returns each file's counts.
std::vector<FileSummary> WriteRecord(std::ostream& out, const Options& options,
                                     const FolderMask& mask, const std::vector<Host::Call>& calls)
{
    const bool json = options.format == "jsonl";
    std::vector<FileSummary> files;
    for (const Host::Call& recorded : calls)
    {
        const Host::Call call = mask.Apply(recorded);
        if (StartsFile(call))
        {
            if (!files.empty())
                files.back().lastCall = static_cast<std::size_t>(&recorded - calls.data());
            files.emplace_back().path = Host::FirstText(call);
            files.back().firstCall = static_cast<std::size_t>(&recorded - calls.data());
            if (!options.summary && !json)
                out << "== " << files.back().path << "\n";
        }
        if (!files.empty())
            files.back().Count(call);
        if (!options.summary)
            out << (json ? JsonLine(call) : Host::FormatCall(call)) << "\n";
    }
    if (!files.empty())
        files.back().lastCall = calls.size();
    return files;
}

// What each file's document holds, read once for the summary and the plan. Only files the
// plug-in imported without an error are read: the plug-in refuses a document nested deep
// enough to exhaust the parser's stack, and the probe must not then parse it itself.
void ReadDocuments(std::vector<FileSummary>& files,
                   const std::vector<std::filesystem::path>& documents)
{
    for (std::size_t i = 0; i < files.size() && i < documents.size(); ++i)
    {
        files[i].text = TextEncodingWords(documents[i]);
        if (files[i].ErrorCount() == 0)
            files[i].document = ReadDocumentContents(documents[i]);
    }
}

// The checks of each file whose document was read.
void CheckFiles(std::vector<FileSummary>& files, const std::vector<Host::Call>& calls,
                const CheckOptions& options)
{
    for (FileSummary& file : files)
        if (file.document.read && file.ErrorCount() == 0)
        {
            file.checks = RunChecks(calls, file.firstCall, file.lastCall, file.document, options);
            file.checked = true;
        }
}

// Whether the plug-in read ConsiderPrismConstant as 0 from the host's settings store.
bool PrismConstantOff(const std::vector<Host::Call>& calls)
{
    for (const Host::Call& call : calls)
        if (call.object == "settings" && call.method == "ReadInt" &&
            Host::FirstText(call) == "ConsiderPrismConstant")
            if (const auto* value = std::get_if<int>(&call.result))
                return *value == 0;
    return false;
}

// The scale bar's unit: metres, where every imported document declares a linear unit the
// plug-in converts to metres; none where any declares none or another.
std::string CommonUnit(const std::vector<FileSummary>& files)
{
    bool any = false;
    for (const FileSummary& file : files)
    {
        if (file.ErrorCount() != 0)
            continue;
        if (!LengthsInMetres(file.document.units))
            return std::string();
        any = true;
    }
    return any ? "m" : std::string();
}

// Opens an output file (-o, --plan) as a temporary beside it.
bool OpenOutput(OutputFile& file, const std::string& path, std::ostream& messages)
{
    if (file.Open(PathOf(path)))
        return true;
    messages << "landxml-probe: cannot write " << path << "\n";
    return false;
}

bool CommitOutput(OutputFile& file, const std::string& path, std::ostream& messages)
{
    std::string error;
    if (file.Commit(error))
        return true;
    messages << "landxml-probe: cannot write " << path << ": " << error << "\n";
    return false;
}

// What the host saw of one import: the calls, and whether the plug-in kept the host's rules.
struct Import
{
    std::vector<Host::Call> before; // the host's questions before the import, answered
    std::vector<Host::Call> calls;  // the import's; with verbose output the path list's too
    std::vector<std::filesystem::path> documents; // the files, as the host handed them over
    bool raised = false;
    std::string raisedWhat;
    bool destroyed = false; // the plug-in object went with the host's last Release
    int liveObjects = 0;
    std::vector<std::string> misuse;
};

// Asks the plug-in what a host asks before an import, imports the files as one import with the
// recording host and releases the plug-in object.
Import ImportFiles(Plugin::IGroundBasedMIP& plugin, const Options& options, std::ostream& messages)
{
    Import import;
    Host::Recorder before;
    before.Record(MakeCall("plugin", "GetFormatName", {}, TextResult(plugin.GetFormatName())));
    before.Record(MakeCall("plugin", "GetFileFilter", {}, TextResult(plugin.GetFileFilter())));
    before.Record(MakeCall("plugin", "GetVersion", {}, plugin.GetVersion()));
    Host::SettingsStore store(&before);
    if (options.noPrismConstant)
    {
        store.hasValue = true;
        store.value = 0;
    }
    plugin.LoadSettings(&store);

    std::vector<Plugin::WideString> paths;
    for (const std::string& file : options.files)
    {
        import.documents.push_back(FullPath(file));
        if (!HasTextName(import.documents.back()))
            messages << "landxml-probe: the name " << PathUtf8(import.documents.back())
                     << " is not UTF-8 text; the plug-in receives it with U+FFFD in place of "
                        "the bytes it cannot name\n";
        paths.push_back(Host::ToWideString(PathText(import.documents.back())));
    }
    // With verbose output the path list's calls join the record, in call order.
    Host::Recorder record;
    Host::PathList pathList(paths, options.verbose ? &record : nullptr);
    Host::Sink host(record);
    try
    {
        plugin.Import(&pathList, &host);
    }
    catch (const std::exception& exception)
    {
        import.raised = true;
        import.raisedWhat = exception.what();
    }
    catch (...)
    {
        import.raised = true;
    }
    import.destroyed = plugin.Release();
    import.before = before.Calls();
    import.calls = record.Calls();
    import.liveObjects = host.LiveObjects();
    import.misuse = host.Misuse();
    return import;
}

// Writes the record or the summaries to out and the plan to plan (when asked for); returns each
// file's summary.
std::vector<FileSummary> Report(std::ostream& out, std::ostream& plan, const Options& options,
                                const Import& import)
{
    std::vector<Host::Call> calls = options.verbose ? import.before : std::vector<Host::Call>();
    calls.insert(calls.end(), import.calls.begin(), import.calls.end());
    if (options.verbose)
        calls.push_back(MakeCall("plugin", "Release", {}, import.destroyed));
    std::vector<FileSummary> files =
        WriteRecord(out, options, FolderMask(options.relativeTo), calls);
    if (options.summary || !options.planPath.empty())
    {
        ReadDocuments(files, import.documents);
        CheckFiles(files, calls, {options.toleranceSeconds, PrismConstantOff(import.before)});
    }
    if (options.summary)
        for (const FileSummary& file : files)
        {
            if (options.format == "jsonl")
                WriteSummaryJson(out, file);
            else
                WriteSummaryText(out, file);
        }
    out.flush();
    if (!options.planPath.empty())
    {
        std::vector<PlanMarks> marks;
        for (const FileSummary& file : files)
            marks.push_back(file.checks.marks);
        WritePlan(plan, import.calls, CommonUnit(files), marks);
    }
    return files;
}

// The exit status of an import, with a message for each broken rule.
int StatusOf(const std::vector<FileSummary>& files, const Import& import, std::ostream& messages)
{
    int status = ExitImported;
    for (const FileSummary& file : files)
        if (file.ErrorCount() != 0)
            status = ExitFileErrors;
    if (import.raised)
    {
        messages << "landxml-probe: the import was ended by an error the plug-in raised"
                 << (import.raisedWhat.empty() ? std::string() : ": " + import.raisedWhat) << "\n";
        status = ExitFileErrors;
    }
    if (import.liveObjects != 0 || !import.misuse.empty() || !import.destroyed)
    {
        if (import.liveObjects != 0)
            messages << "landxml-probe: the plug-in left " << import.liveObjects
                     << " host objects with references\n";
        for (const std::string& misuse : import.misuse)
            messages << "landxml-probe: " << misuse << "\n";
        if (!import.destroyed)
            messages << "landxml-probe: the plug-in object outlived the host's last Release\n";
        status = ExitHostContract;
    }
    return status;
}

} // namespace

int Run(const Options& options, std::ostream& standardOutput, std::ostream& messages)
{
    // Outputs go to temporary files first: a run that fails leaves existing files untouched.
    OutputFile outputFile;
    OutputFile planFile;
    if (!options.outputPath.empty() && !OpenOutput(outputFile, options.outputPath, messages))
        return ExitUsage;
    if (!options.planPath.empty() && !OpenOutput(planFile, options.planPath, messages))
        return ExitUsage;
    std::ostream& out = options.outputPath.empty() ? standardOutput : outputFile.Stream();

    Host::PluginLibrary library;
    std::string error;
    if (!library.Load(options.pluginPath, error))
    {
        messages << "landxml-probe: cannot load the plug-in " << options.pluginPath << ": " << error
                 << "\n";
        return ExitLibrary;
    }
    if (options.verbose)
        messages << "landxml-probe: loaded the plug-in " << library.Path() << "\n";
    Plugin::IGroundBasedMIP* plugin = library.CreatePlugin()();
    if (plugin == nullptr)
    {
        messages << "landxml-probe: CreatePlugin of " << options.pluginPath
                 << " returned no plug-in object\n";
        return ExitLibrary;
    }

    const Import import = ImportFiles(*plugin, options, messages);
    const std::vector<FileSummary> files = Report(out, planFile.Stream(), options, import);
    const int status = StatusOf(files, import, messages);
    // The record is complete: it replaces the output files.
    if (!options.outputPath.empty() && !CommitOutput(outputFile, options.outputPath, messages))
        return ExitUsage;
    if (!options.planPath.empty() && !CommitOutput(planFile, options.planPath, messages))
        return ExitUsage;
    if (!out)
    {
        messages << "landxml-probe: the output could not be written\n";
        return ExitUsage;
    }
    return status;
}

} // namespace Probe
