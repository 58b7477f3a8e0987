// landxml-probe, the reference host: loads the plug-in library the way the host application does,
// imports the files named on its command line as one import and prints every call the plug-in
// made on the host's objects. It knows the plug-in only through its exported CreatePlugin and its
// tables, so what it prints is what any host would receive. Here only the command line is read;
// the run is the probe's library (Run.h), where its tests reach it without this program.

#include "tools/host/CommandLine.h"
#include "tools/landxml-probe/Run.h"

#include <CLI/CLI.hpp>
#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app{"Imports LandXML files through the plug-in library, as the host application "
                 "does, and prints every call the plug-in makes on the host.",
                 "landxml-probe"};
    // A path such as /home/a.xml is a path in every build, never a Windows-style option.
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", "landxml-probe " LANDXML_PROBE_VERSION,
                         "print the program's version and exit");
    Probe::Options options;
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
        return app.exit(error) == 0 ? Probe::ExitImported : Probe::ExitUsage;
    }

    if (options.pluginPath.empty())
        options.pluginPath =
            Host::DefaultPluginLibrary(argv, LANDXML_PLUGIN_FROM_PROGRAM, LANDXML_PLUGIN_BUILT);
    return Probe::Run(options, std::cout, std::cerr);
}
