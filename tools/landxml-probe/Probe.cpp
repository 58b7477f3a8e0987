// landxml-probe, the reference host: loads the plug-in library the way the host application does,
// imports the files named on its command line as one import and prints every call the plug-in
// made on the host's objects. It knows the plug-in only through its exported CreatePlugin and its
// tables, so what it prints is what any host would receive.

#include "tools/host/CommandLine.h"
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

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace
{

using Probe::FileSummary;
using Probe::FullPath;

enum ExitStatus
{
    ExitImported = 0,    // no file reported an error
    ExitFileErrors = 1,  // a file reported an error, or an error raised by the plug-in ended it
    ExitUsage = 2,       // bad command line, or an output file that cannot be written
    ExitLibrary = 3,     // the library cannot be loaded, has no CreatePlugin, or gave no object
    ExitHostContract = 4 // the plug-in left host objects with references or released one too often
};

struct Options
{
    std::vector<std::string> files;
    std::string format = "text";
    std::string pluginPath;
    std::string relativeTo;
    std::string outputPath;
    std::string planPath;
    bool summary = false;
    bool verbose = false;
    bool noPrismConstant = false;
    double toleranceSeconds = 60;
};

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
        folder = Probe::PathText(FullPath(folderUtf8));
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
        files[i].text = Probe::TextEncodingWords(documents[i]);
        if (files[i].ErrorCount() == 0)
            files[i].document = Probe::ReadDocumentContents(documents[i]);
    }
}

// The checks of each file whose document was read.
void RunChecks(std::vector<FileSummary>& files, const std::vector<Host::Call>& calls,
               const Probe::CheckOptions& options)
{
    for (FileSummary& file : files)
        if (file.document.read && file.ErrorCount() == 0)
        {
            file.checks =
                Probe::RunChecks(calls, file.firstCall, file.lastCall, file.document, options);
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
        if (!Probe::LengthsInMetres(file.document.units))
            return std::string();
        any = true;
    }
    return any ? "m" : std::string();
}

// Opens an output file (-o, --plan) as a temporary beside it.
bool OpenOutput(Probe::OutputFile& file, const std::string& path)
{
    if (file.Open(Probe::PathOf(path)))
        return true;
    std::cerr << "landxml-probe: cannot write " << path << "\n";
    return false;
}

bool CommitOutput(Probe::OutputFile& file, const std::string& path)
{
    std::string error;
    if (file.Commit(error))
        return true;
    std::cerr << "landxml-probe: cannot write " << path << ": " << error << "\n";
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Imports LandXML files through the plug-in library, as the host application "
                 "does, and prints every call the plug-in makes on the host.",
                 "landxml-probe"};
    // A path such as /home/a.xml is a path in every build, never a Windows-style option.
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", "landxml-probe " LANDXML_PROBE_VERSION,
                         "print the program's version and exit");
    Options options;
    app.add_option("FILE", options.files, "LandXML files to import, in this order")
        ->required()
        ->type_name("");
    app.add_option("--format", options.format, "text (one line per call) or jsonl")
        ->check(CLI::IsMember({"text", "jsonl"}))
        ->type_name("FORMAT");
    app.add_flag("--summary", options.summary,
                 "print per file what was imported, the messages and what was not imported");
    app.add_option("--plan", options.planPath,
                   "also write a plan view (SVG) of the points and observations the host received")
        ->type_name("FILE");
    app.add_flag("-v,--verbose", options.verbose,
                 "also print the calls on the plug-in, the settings store and the path list, "
                 "and name the library loaded");
    app.add_flag("--no-prism-constant", options.noPrismConstant,
                 "the settings store holds 0 for ConsiderPrismConstant");
    app.add_option("--tolerance", options.toleranceSeconds,
                   "how far, in seconds of arc, the two faces of a target may disagree before the "
                   "summary's checks name them (default 60)")
        ->check(CLI::NonNegativeNumber)
        ->type_name("SECONDS");
    app.add_option("--plugin", options.pluginPath, "the plug-in library to load")
        ->type_name("FILE");
    app.add_option("--relative-to", options.relativeTo, "print paths under DIR as <dir>/...")
        ->type_name("DIR");
    app.add_option("-o,--output", options.outputPath, "write to FILE instead of standard output")
        ->type_name("FILE");
    try
    {
        app.parse(Host::ArgumentsLastFirst(argc, argv));
    }
    catch (const CLI::ParseError& error)
    {
        return app.exit(error) == 0 ? ExitImported : ExitUsage;
    }

    // Outputs go to temporary files first: a run that fails leaves existing files untouched.
    Probe::OutputFile outputFile;
    Probe::OutputFile planFile;
    if (!options.outputPath.empty() && !OpenOutput(outputFile, options.outputPath))
        return ExitUsage;
    if (!options.planPath.empty() && !OpenOutput(planFile, options.planPath))
        return ExitUsage;
    std::ostream& out = options.outputPath.empty() ? std::cout : outputFile.Stream();

    if (options.pluginPath.empty())
        options.pluginPath =
            Host::DefaultPluginLibrary(argv, LANDXML_PLUGIN_FROM_PROGRAM, LANDXML_PLUGIN_BUILT);
    Host::PluginLibrary library;
    std::string error;
    if (!library.Load(options.pluginPath, error))
    {
        std::cerr << "landxml-probe: cannot load the plug-in " << options.pluginPath << ": "
                  << error << "\n";
        return ExitLibrary;
    }
    if (options.verbose)
        std::cerr << "landxml-probe: loaded the plug-in " << library.Path() << "\n";
    Plugin::IGroundBasedMIP* plugin = library.CreatePlugin()();
    if (plugin == nullptr)
    {
        std::cerr << "landxml-probe: CreatePlugin of " << options.pluginPath
                  << " returned no plug-in object\n";
        return ExitLibrary;
    }

    // What the host asks before an import: the format, the settings.
    Host::Recorder before;
    before.Record(MakeCall("plugin", "GetFormatName", {}, TextResult(plugin->GetFormatName())));
    before.Record(MakeCall("plugin", "GetFileFilter", {}, TextResult(plugin->GetFileFilter())));
    before.Record(MakeCall("plugin", "GetVersion", {}, plugin->GetVersion()));
    Host::SettingsStore store(&before);
    if (options.noPrismConstant)
    {
        store.hasValue = true;
        store.value = 0;
    }
    plugin->LoadSettings(&store);

    std::vector<std::filesystem::path> documents;
    std::vector<Plugin::WideString> paths;
    for (const std::string& file : options.files)
    {
        documents.push_back(FullPath(file));
        if (!Probe::HasTextName(documents.back()))
            std::cerr << "landxml-probe: the name " << Probe::PathUtf8(documents.back())
                      << " is not UTF-8 text; the plug-in receives it with U+FFFD in place of "
                         "the bytes it cannot name\n";
        paths.push_back(Host::ToWideString(Probe::PathText(documents.back())));
    }
    // With verbose output the path list's calls join the record, in call order.
    Host::Recorder record;
    Host::PathList pathList(paths, options.verbose ? &record : nullptr);
    Host::Sink host(record);
    bool raised = false;
    std::string raisedWhat;
    try
    {
        plugin->Import(&pathList, &host);
    }
    catch (const std::exception& exception)
    {
        raised = true;
        raisedWhat = exception.what();
    }
    catch (...)
    {
        raised = true;
    }
    const bool destroyed = plugin->Release();

    std::vector<Host::Call> calls = options.verbose ? before.Calls() : std::vector<Host::Call>();
    calls.insert(calls.end(), record.Calls().begin(), record.Calls().end());
    if (options.verbose)
        calls.push_back(MakeCall("plugin", "Release", {}, destroyed));
    std::vector<FileSummary> files =
        WriteRecord(out, options, FolderMask(options.relativeTo), calls);
    if (options.summary || !options.planPath.empty())
    {
        ReadDocuments(files, documents);
        RunChecks(files, calls, {options.toleranceSeconds, PrismConstantOff(before.Calls())});
    }
    if (options.summary)
        for (const FileSummary& file : files)
        {
            if (options.format == "jsonl")
                Probe::WriteSummaryJson(out, file);
            else
                Probe::WriteSummaryText(out, file);
        }
    out.flush();
    if (!options.planPath.empty())
    {
        std::vector<Probe::PlanMarks> marks;
        for (const FileSummary& file : files)
            marks.push_back(file.checks.marks);
        Probe::WritePlan(planFile.Stream(), record.Calls(), CommonUnit(files), marks);
    }

    int status = ExitImported;
    for (const FileSummary& file : files)
        if (file.ErrorCount() != 0)
            status = ExitFileErrors;
    if (raised)
    {
        std::cerr << "landxml-probe: the import was ended by an error the plug-in raised"
                  << (raisedWhat.empty() ? std::string() : ": " + raisedWhat) << "\n";
        status = ExitFileErrors;
    }
    if (host.LiveObjects() != 0 || !host.Misuse().empty() || !destroyed)
    {
        if (host.LiveObjects() != 0)
            std::cerr << "landxml-probe: the plug-in left " << host.LiveObjects()
                      << " host objects with references\n";
        for (const std::string& misuse : host.Misuse())
            std::cerr << "landxml-probe: " << misuse << "\n";
        if (!destroyed)
            std::cerr << "landxml-probe: the plug-in object outlived the host's last Release\n";
        status = ExitHostContract;
    }
    // The record is complete: it replaces the output files.
    if (!options.outputPath.empty() && !CommitOutput(outputFile, options.outputPath))
        return ExitUsage;
    if (!options.planPath.empty() && !CommitOutput(planFile, options.planPath))
        return ExitUsage;
    if (!out)
    {
        std::cerr << "landxml-probe: the output could not be written\n";
        return ExitUsage;
    }
    return status;
}
