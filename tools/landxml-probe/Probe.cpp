// landxml-probe: loads the plug-in library as the host does and shows what files import as,
// one line per host call.

#include "platform/HostLibrary.h"
#include "tools/host/RecordingHost.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace
{

enum ExitStatus
{
    ExitImported = 0,
    ExitFileErrors = 1,
    ExitUsage = 2,
    ExitLibrary = 3,
};

nlohmann::json ToJson(const Host::Value& value)
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
    nlohmann::json line;
    line["object"] = call.object.empty() ? "sink" : call.object;
    line["call"] = call.method;
    line["args"] = nlohmann::json::array();
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
};

std::string TextArgument(const Host::Call& call)
{
    if (!call.arguments.empty())
        if (const auto* text = std::get_if<Host::Text>(&call.arguments.front()))
            return Host::ToUtf8(text->value);
    return std::string();
}

// Replaces the folder prefix of a path by "<dir>/" so that output does not depend on where the
// files lie.
std::string Relative(const std::string& text, const std::string& folder)
{
    if (folder.empty())
        return text;
    std::string result = text;
    // Call lines show texts with JSON escapes, so a backslash there is written twice.
    std::string escaped;
    for (const char c : folder)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    for (const std::string& prefix : {escaped + "\\\\", folder + "/", folder + "\\"})
        for (std::size_t at = 0; (at = result.find(prefix, at)) != std::string::npos; at += 6)
            result.replace(at, prefix.size(), "<dir>/");
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Imports LandXML files through the HexagonLandXML plug-in and shows every host "
                 "call it makes."};
    std::vector<std::string> files;
    std::string format = "text";
    std::string pluginPath;
    std::string relativeTo;
    bool summary = false;
    bool noPrismConstant = false;
    app.add_option("files", files, "LandXML files to import, in this order")->required();
    app.add_option("--format", format, "text (one line per call) or jsonl")
        ->check(CLI::IsMember({"text", "jsonl"}));
    app.add_flag("--summary", summary, "print per file the counts of what was imported");
    app.add_flag("--no-prism-constant", noPrismConstant,
                 "the settings store holds 0 for ConsiderPrismConstant");
    app.add_option("--plugin", pluginPath, "the plug-in library to load");
    app.add_option("--relative-to", relativeTo, "show paths under this folder as <dir>/...");
    // Arguments as UTF-8 whatever the console's code page, last first as the parser takes them.
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
    while (!relativeTo.empty() && (relativeTo.back() == '/' || relativeTo.back() == '\\'))
        relativeTo.pop_back();

    if (pluginPath.empty())
    {
        const std::string self = Platform::ArgumentUtf8(0, argv);
        const std::size_t slash = self.find_last_of("/\\");
        pluginPath = (slash == std::string::npos ? std::string() : self.substr(0, slash + 1)) +
                     Platform::PluginLibraryFileName();
    }
    Platform::PluginLibrary library;
    std::string error;
    if (!library.Load(pluginPath, error))
    {
        std::cerr << "landxml-probe: cannot load the plug-in " << pluginPath << ": " << error
                  << "\n";
        return ExitLibrary;
    }

    Plugin::IGroundBasedMIP* plugin = library.CreatePlugin()();
    Host::SettingsStore settings;
    if (noPrismConstant)
    {
        settings.hasValue = true;
        settings.value = 0;
    }
    plugin->LoadSettings(&settings);

    std::vector<Plugin::WideString> paths;
    for (const std::string& file : files)
        paths.push_back(Platform::WidePath(file));
    Host::PathList list(paths);
    Host::RecordingHost host;
    plugin->Import(&list, &host);
    plugin->Release();

    std::vector<FileSummary> summaries;
    for (const Host::Call& call : host.Calls())
    {
        const bool sinkCall = call.object.empty();
        if (sinkCall && call.method == "BeginFile")
        {
            summaries.push_back({Relative(TextArgument(call), relativeTo)});
            if (!summary && format == "text")
                std::cout << "== " << summaries.back().path << "\n";
        }
        if (!summaries.empty())
        {
            FileSummary& file = summaries.back();
            file.points += sinkCall && call.method == "AddPoint";
            file.stations += sinkCall && call.method == "SetStation";
            file.observations += sinkCall && call.method == "SetTargetPoint";
            file.imageNotes += call.method == "AddImageNote";
            file.warnings += sinkCall && call.method == "ReportWarning";
            file.errors += sinkCall && call.method == "ReportError";
        }
        if (summary)
            continue;
        std::cout << Relative(format == "jsonl" ? JsonLine(call) : Host::FormatCall(call),
                              relativeTo)
                  << "\n";
    }
    if (summary)
        for (const FileSummary& file : summaries)
            std::cout << file.path << ": points " << file.points << ", stations " << file.stations
                      << ", observations " << file.observations << ", image notes "
                      << file.imageNotes << ", warnings " << file.warnings << ", errors "
                      << file.errors << "\n";

    for (const FileSummary& file : summaries)
        if (file.errors != 0)
            return ExitFileErrors;
    return ExitImported;
}
