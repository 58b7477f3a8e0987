// landxml-probe, the reference host: loads the plug-in library the way the host application does,
// imports the files named on its command line as one import and prints every call the plug-in
// made on the host's objects. It knows the plug-in only through its exported CreatePlugin and its
// tables, so what it prints is what any host would receive.

#include "platform/HostLibrary.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace
{

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
    bool summary = false;
    bool verbose = false;
    bool noPrismConstant = false;
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

std::filesystem::path PathOf(const std::string& utf8)
{
    return std::filesystem::u8path(utf8);
}

// A path the way a host hands it over: absolute, without "." or ".." steps, with the system's
// own separators. A path that cannot be made absolute is kept as written.
std::filesystem::path FullPath(const std::string& utf8)
{
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(PathOf(utf8), error);
    if (error)
        full = PathOf(utf8);
    return full.lexically_normal().make_preferred();
}

bool IsFile(const std::string& utf8)
{
    std::error_code error;
    return std::filesystem::is_regular_file(PathOf(utf8), error);
}

// The plug-in library a host installed beside itself would find; in the build tree, where the
// two lie in different folders, the library the build made.
std::string DefaultLibrary(const std::string& self)
{
    const std::size_t slash = self.find_last_of("/\\");
    const std::string folder =
        slash == std::string::npos ? std::string() : self.substr(0, slash + 1);
    const std::string beside = folder + Platform::PluginLibraryFileName();
    if (IsFile(beside))
        return beside;
#ifdef LANDXML_PLUGIN_FROM_PROBE
    if (IsFile(folder + LANDXML_PLUGIN_FROM_PROBE))
        return folder + LANDXML_PLUGIN_FROM_PROBE;
#endif
#ifdef LANDXML_PLUGIN_BUILT
    if (IsFile(LANDXML_PLUGIN_BUILT))
        return LANDXML_PLUGIN_BUILT;
#endif
    // Left to the system loader's search (on Windows that starts in the program's folder).
    return beside;
}

Host::Value TextResult(Plugin::BSTR text)
{
    if (text == nullptr)
        return Host::Null{};
    Host::Value value = Host::Text{Host::FromWide(text)};
    Platform::FreeHostBstr(text);
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
        folder = FullPath(folderUtf8).u16string();
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

struct FileSummary
{
    std::string path;
    int points = 0;
    int stations = 0;
    int observations = 0;
    int imageNotes = 0;
    int warnings = 0;
    int errors = 0;

    void Count(const Host::Call& call)
    {
        const bool sink = call.object.empty();
        points += sink && call.method == "AddPoint";
        stations += sink && call.method == "SetStation";
        observations += sink && call.method == "SetTargetPoint";
        imageNotes += call.object == "extension" && call.method == "AddImageNote";
        warnings += sink && call.method == "ReportWarning";
        errors += sink && call.method == "ReportError";
    }
};

bool StartsFile(const Host::Call& call)
{
    return call.object.empty() && call.method == "BeginFile";
}

std::string FirstText(const Host::Call& call)
{
    if (!call.arguments.empty())
        if (const auto* text = std::get_if<Host::Text>(&call.arguments.front()))
            return Host::ToUtf8(text->value);
    return std::string();
}

void WriteSummary(std::ostream& out, const FileSummary& file, bool json)
{
    if (json)
    {
        nlohmann::ordered_json line;
        line["file"] = file.path;
        line["points"] = file.points;
        line["stations"] = file.stations;
        line["observations"] = file.observations;
        line["imageNotes"] = file.imageNotes;
        line["warnings"] = file.warnings;
        line["errors"] = file.errors;
        out << line.dump() << "\n";
        return;
    }
    out << file.path << ": points " << file.points << ", stations " << file.stations
        << ", observations " << file.observations << ", image notes " << file.imageNotes
        << ", warnings " << file.warnings << ", errors " << file.errors << "\n";
}

// Prints the record: calls before the import, the import's calls under a header per file, calls
// after it; or only the counts per file. Returns the files' summaries.
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
            files.push_back({FirstText(call)});
            if (!options.summary && !json)
                out << "== " << files.back().path << "\n";
        }
        if (!files.empty())
            files.back().Count(call);
        if (!options.summary)
            out << (json ? JsonLine(call) : Host::FormatCall(call)) << "\n";
    }
    if (options.summary)
        for (const FileSummary& file : files)
            WriteSummary(out, file, json);
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Imports LandXML files through the plug-in library, as the host application "
                 "does, and prints every call the plug-in makes on the host."};
    Options options;
    app.add_option("files", options.files, "LandXML files to import, in this order")->required();
    app.add_option("--format", options.format, "text (one line per call) or jsonl")
        ->check(CLI::IsMember({"text", "jsonl"}));
    app.add_flag("--summary", options.summary, "print per file only the counts of what it gave");
    app.add_flag("-v,--verbose", options.verbose,
                 "also print the calls on the plug-in, the settings store and the path list");
    app.add_flag("--no-prism-constant", options.noPrismConstant,
                 "the settings store holds 0 for ConsiderPrismConstant");
    app.add_option("--plugin", options.pluginPath, "the plug-in library to load");
    app.add_option("--relative-to", options.relativeTo, "print paths under DIR as <dir>/...");
    app.add_option("-o,--output", options.outputPath, "write to FILE instead of standard output");
    // Arguments as UTF-8 whatever the console's code page; the parser takes them last first.
    std::vector<std::string> arguments;
    for (int i = argc - 1; i > 0; --i)
        arguments.push_back(Platform::ArgumentUtf8(i, argv));
    try
    {
        app.parse(arguments);
    }
    catch (const CLI::ParseError& error)
    {
        return app.exit(error) == 0 ? ExitImported : ExitUsage;
    }

    std::ofstream outputFile;
    if (!options.outputPath.empty())
    {
        // Binary, so that the file holds the same bytes in every build.
        outputFile.open(PathOf(options.outputPath), std::ios::binary);
        if (!outputFile)
        {
            std::cerr << "landxml-probe: cannot write " << options.outputPath << "\n";
            return ExitUsage;
        }
    }
    std::ostream& out = options.outputPath.empty() ? std::cout : outputFile;

    if (options.pluginPath.empty())
        options.pluginPath = DefaultLibrary(Platform::ArgumentUtf8(0, argv));
    Platform::PluginLibrary library;
    std::string error;
    if (!library.Load(options.pluginPath, error))
    {
        std::cerr << "landxml-probe: cannot load the plug-in " << options.pluginPath << ": "
                  << error << "\n";
        return ExitLibrary;
    }
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

    std::vector<Plugin::WideString> paths;
    for (const std::string& file : options.files)
        paths.push_back(Host::ToWideString(FullPath(file).u16string()));
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
    const std::vector<FileSummary> files =
        WriteRecord(out, options, FolderMask(options.relativeTo), calls);
    out.flush();

    int status = ExitImported;
    for (const FileSummary& file : files)
        if (file.errors != 0)
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
    if (!out)
    {
        std::cerr << "landxml-probe: the output could not be written\n";
        return ExitUsage;
    }
    return status;
}
