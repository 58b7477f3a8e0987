// landxml-benchmark: how long plug-in libraries take to import large documents, timed at the
// plug-in's own entry. Each library is loaded as the host application loads it, its plug-in
// object comes from CreatePlugin, and each import is one Import call with the host's path list
// and the host, observed by a counter only. Several libraries are timed interleaved, round by
// round, in one run, so that they meet the same machine; each one's medians and their ratio to
// the first library's are printed. Every import's host calls are checked against what the
// synthetic document asks for.

#include "benchmarks/Process.h"
#include "benchmarks/generator/SyntheticLandXml.h"
#include "tools/host/CallCounter.h"
#include "tools/host/CommandLine.h"
#include "tools/host/HostLibrary.h"
#include "tools/host/Text.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace Benchmark
{
namespace
{

using Host::Method;
using Plugin::WideString;

constexpr double kMiB = 1048576.0;

struct Duration
{
    double cpu = 0.0;  // processor time of this process: what the work itself costs
    double wall = 0.0; // lengthened by whatever else the machine runs
};

template <typename Work> Duration Timed(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    const double startCpu = ProcessorSeconds();
    work();
    Duration duration;
    duration.cpu = ProcessorSeconds() - startCpu;
    duration.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return duration;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// The host of the benchmark: its calls counted, nothing kept. Its parsers take every text as 1.0,
// or read it as the host application does.
struct CountingHost
{
    explicit CountingHost(bool hostParse) : sink(calls, Options(hostParse)) {}
    static Host::HostOptions Options(bool hostParse)
    {
        Host::HostOptions options;
        options.anyTextIsOne = !hostParse;
        return options;
    }

    Host::CallCounter calls;
    Host::Sink sink;
};

// A plug-in library loaded once, with its plug-in object, as a host keeps them between imports.
class Library
{
public:
    explicit Library(std::string file) : path(std::move(file))
    {
        std::string error;
        if (!library.Load(path, error))
            throw std::runtime_error("cannot load the plug-in " + path + ": " + error);
        plugin = library.CreatePlugin()();
        if (plugin == nullptr)
            throw std::runtime_error("CreatePlugin of " + path + " returned no plug-in object");
    }
    ~Library() { plugin->Release(); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // One import of the file with the host; only the Import call is timed.
    Duration Import(const WideString& file, CountingHost& host)
    {
        Host::PathList paths({file});
        host.calls.Reset();
        return Timed([&] { plugin->Import(&paths, &host.sink); });
    }

    // The entry the system's loader found: the same for two paths only when it gave one module
    // for both.
    CreatePluginFunction Entry() const { return library.CreatePlugin(); }

    const std::string path;

private:
    Host::PluginLibrary library;
    Plugin::IGroundBasedMIP* plugin = nullptr;
};

// Import calls made and checked over the whole run.
int checksPassed = 0;
int checksFailed = 0;

// The host calls of the import just made against what the document holds; false on any
// difference, each printed as MISMATCH.
bool CallsMatch(const std::string& run, const CountingHost& host, const SyntheticCounts& counts)
{
    const struct
    {
        const char* name;
        std::uint64_t seen;
        std::uint64_t expected;
    } checks[] = {
        {"BeginFile", host.calls.Count(Method::BeginFile), 1},
        {"ReportError", host.calls.Count(Method::ReportError), 0},
        {"AddPoint", host.calls.Count(Method::AddPoint), counts.expectedAddPoint},
        {"SetPointCode", host.calls.Count(Method::SetPointCode), counts.expectedPointCodes},
        {"SetStation", host.calls.Count(Method::SetStation), counts.expectedStations},
        {"SetPressure", host.calls.Count(Method::SetPressure), counts.expectedPressures},
        {"SetTargetPoint", host.calls.Count(Method::SetTargetPoint), counts.expectedTargets},
        {"SetSlopeDistance", host.calls.Count(Method::SetSlopeDistance), counts.expectedDistances},
        {"SetObservationTime", host.calls.Count(Method::SetObservationTime),
         counts.expectedTimeStamps},
        {"AddImageNote", host.calls.Count(Method::AddImageNote), counts.expectedImageNotes},
        {"ReportWarning", host.calls.Count(Method::ReportWarning), counts.expectedWarnings},
        {"host objects left with references", static_cast<std::uint64_t>(host.sink.LiveObjects()),
         0},
    };
    bool ok = true;
    for (const auto& check : checks)
    {
        if (check.seen == check.expected)
        {
            ++checksPassed;
            continue;
        }
        ++checksFailed;
        ok = false;
        std::printf("MISMATCH in %s: %s %llu times, the document asks for %llu\n", run.c_str(),
                    check.name, static_cast<unsigned long long>(check.seen),
                    static_cast<unsigned long long>(check.expected));
    }
    return ok;
}

struct Settings
{
    std::vector<std::string> plugins;
    std::vector<double> megabytes{100};
    int rounds = 5;
    std::uint64_t seed = 1;
    std::string workDirectory;
    bool hostParse = false;
    bool memory = true;
};

// ---- Peak memory, in a fresh process for each library ----------------------------------------
//
// A process that imported before keeps the heap it grew; a fresh one begins without it. The
// child loads the library, notes its peak resident size, imports the file once and writes the
// growth of that peak to a file.

constexpr const char* kPeakChild = "--peak-child";

int ReportPeak(const std::string& plugin, const std::string& file, const std::string& out)
{
    Library library(plugin);
    CountingHost host(false);
    const std::uint64_t before = PeakResidentBytes();
    library.Import(Host::HostPath(std::filesystem::u8path(file)), host);
    const std::uint64_t after = PeakResidentBytes();
    std::ofstream(std::filesystem::u8path(out)) << (after > before ? after - before : 0) << "\n";
    return before == 0 ? 3 : 0;
}

// The peak growth in MiB, or a negative number when it could not be measured.
double PeakOfChild(const std::string& plugin, const std::filesystem::path& file)
{
    const std::filesystem::path out = file.parent_path() / "peak.txt";
    std::fflush(stdout);
    const int status = RunSelf({kPeakChild, plugin, file.u8string(), out.u8string()});
    double bytes = -1.0;
    std::ifstream in(out);
    if (status != 0 || !(in >> bytes))
        bytes = -1.0;
    in.close();
    std::filesystem::remove(out);
    return bytes < 0 ? -1.0 : bytes / kMiB;
}

// ---- One document size ----------------------------------------------------------------------

struct LibraryResult
{
    std::vector<double> cpu;
    std::vector<double> wall;
    double peakMiB = -1.0;
};

std::string Size(double megabytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g MiB", megabytes);
    return text;
}

SyntheticCounts Generate(const std::filesystem::path& file, double megabytes, std::uint64_t seed)
{
    SyntheticOptions options;
    options.targetBytes = static_cast<std::uint64_t>(megabytes * kMiB);
    options.seed = seed;
    std::FILE* out = std::fopen(file.string().c_str(), "wb");
    if (out == nullptr)
        throw std::runtime_error("cannot write " + file.u8string());
    SyntheticCounts counts;
    try
    {
        counts = WriteSyntheticLandXml(options, out);
    }
    catch (...)
    {
        std::fclose(out);
        throw;
    }
    if (std::fclose(out) != 0)
        throw std::runtime_error("cannot write " + file.u8string());
    return counts;
}

// The median over the rounds of library i's time over the first library's in the same round:
// a stretch of the machine that slows a whole round cancels out.
double RatioToFirst(const std::vector<LibraryResult>& results, std::size_t i,
                    std::vector<double> LibraryResult::*times)
{
    std::vector<double> ratios;
    const std::vector<double>& first = results.front().*times;
    const std::vector<double>& own = results[i].*times;
    for (std::size_t round = 0; round < own.size(); ++round)
        if (first[round] > 0)
            ratios.push_back(own[round] / first[round]);
    return Median(ratios);
}

void PrintResults(const std::vector<std::unique_ptr<Library>>& libraries,
                  const std::vector<LibraryResult>& results, const SyntheticCounts& counts,
                  const Settings& settings, double megabytes)
{
    const double mib = static_cast<double>(counts.bytes) / kMiB;
    std::printf("\n== %s document, %llu bytes: medians of %d rounds, libraries interleaved ==\n",
                Size(megabytes).c_str(), static_cast<unsigned long long>(counts.bytes),
                settings.rounds);
    std::printf("   %llu stations, %llu points, %llu observations, %llu point images, %llu setup "
                "images\n",
                static_cast<unsigned long long>(counts.setups),
                static_cast<unsigned long long>(counts.cgPoints),
                static_cast<unsigned long long>(counts.rawObservations),
                static_cast<unsigned long long>(counts.pointImages),
                static_cast<unsigned long long>(counts.setupImages));
    std::printf("   %-3s %9s %9s %9s %9s %9s %10s  %s\n", "", "cpu s", "wall s", "MiB/s", "cpu x",
                "wall x", "peak MiB", "library");
    for (std::size_t i = 0; i < libraries.size(); ++i)
    {
        const double cpu = Median(results[i].cpu);
        const double wall = Median(results[i].wall);
        char peak[32] = "-";
        if (results[i].peakMiB >= 0)
            std::snprintf(peak, sizeof peak, "%.1f", results[i].peakMiB);
        std::printf("   %-3s %9.4f %9.4f %9.1f %9.3f %9.3f %10s  %s\n",
                    ("#" + std::to_string(i + 1)).c_str(), cpu, wall, cpu > 0 ? mib / cpu : 0.0,
                    RatioToFirst(results, i, &LibraryResult::cpu),
                    RatioToFirst(results, i, &LibraryResult::wall), peak,
                    libraries[i]->path.c_str());
    }
    std::printf(
        "   (cpu: processor time of this process; x: the median over the rounds of the time "
        "over library #1's in the same round;\n    peak: growth of the peak resident size "
        "during one import in a fresh process)\n");
}

// Times every library on a document of the size; false when an import's calls differ from what
// the document asks for.
bool RunSize(const std::vector<std::unique_ptr<Library>>& libraries, const Settings& settings,
             double megabytes)
{
    const std::filesystem::path folder =
        std::filesystem::u8path(settings.workDirectory) /
        ("landxml-benchmark-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    // A folder of its own: no image file the document names can exist beside it.
    std::filesystem::create_directories(folder);
    struct Removal
    {
        std::filesystem::path folder;
        ~Removal()
        {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    } removal{folder};
    const std::filesystem::path file = folder / "synthetic.xml";
    SyntheticCounts counts;
    const Duration generation = Timed([&] { counts = Generate(file, megabytes, settings.seed); });
    std::printf("\n%s: generated %s in %.2f s\n", Size(megabytes).c_str(), file.u8string().c_str(),
                generation.wall);

    std::vector<LibraryResult> results(libraries.size());
    if (settings.memory)
        for (std::size_t i = 0; i < libraries.size(); ++i)
            results[i].peakMiB = PeakOfChild(libraries[i]->path, file);

    const WideString path = Host::HostPath(file);
    CountingHost host(settings.hostParse);
    bool allMatch = true;
    // One import each before the rounds, not timed: the file is in the system's cache and each
    // library's code and heap are in use, as in a host that imported before.
    for (const auto& library : libraries)
        library->Import(path, host);
    for (int round = 0; round < settings.rounds; ++round)
    {
        // Each round starts with the next library, so that none always runs first.
        std::printf("  round %d of %d:", round + 1, settings.rounds);
        for (std::size_t k = 0; k < libraries.size(); ++k)
        {
            const std::size_t i = (static_cast<std::size_t>(round) + k) % libraries.size();
            const Duration duration = libraries[i]->Import(path, host);
            results[i].cpu.push_back(duration.cpu);
            results[i].wall.push_back(duration.wall);
            std::printf(" #%zu %.3f s", i + 1, duration.cpu);
            allMatch = CallsMatch("library #" + std::to_string(i + 1) + ", round " +
                                      std::to_string(round + 1),
                                  host, counts) &&
                       allMatch;
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    PrintResults(libraries, results, counts, settings, megabytes);
    return allMatch;
}

// Imports one existing file with the first library, for profilers: no generation, no checks.
int ImportOnly(Library& library, const std::string& file, const Settings& settings)
{
    CountingHost host(settings.hostParse);
    const WideString path = Host::HostPath(std::filesystem::u8path(file));
    for (int round = 0; round < settings.rounds; ++round)
    {
        const Duration t = library.Import(path, host);
        std::printf("import of %s: %.4f s processor, %.4f s wall, %llu points, %llu warnings, "
                    "%llu errors\n",
                    file.c_str(), t.cpu, t.wall,
                    static_cast<unsigned long long>(host.calls.Count(Method::AddPoint)),
                    static_cast<unsigned long long>(host.calls.Count(Method::ReportWarning)),
                    static_cast<unsigned long long>(host.calls.Count(Method::ReportError)));
    }
    return 0;
}

int Main(int argc, char** argv)
{
    CLI::App app{"Times the import of synthetic LandXML documents by plug-in libraries, "
                 "interleaved round by round, through the libraries' CreatePlugin and Import."};
    Settings settings;
    bool small = false;
    bool noMemory = false;
    std::string importOnly;
    std::vector<std::string> peakChild;
    app.add_option("--plugin", settings.plugins,
                   "a plug-in library to time; repeat for several (default: this build's)");
    app.add_option("--megabytes", settings.megabytes,
                   "document sizes in MiB, comma separated (default 100)")
        ->delimiter(',')
        ->check(CLI::PositiveNumber);
    app.add_option("--rounds", settings.rounds, "rounds per size (default 5)")
        ->check(CLI::Range(1, 1000));
    app.add_option("--seed", settings.seed, "seed of the synthetic documents (default 1)");
    app.add_flag("--small", small, "a quick run for CI: 2 MiB, 2 rounds");
    app.add_option("--workdir", settings.workDirectory,
                   "where the documents are written (default: the system's temporary folder)");
    app.add_flag("--host-parse", settings.hostParse,
                 "the host's parsers read numbers as the host application does instead of "
                 "returning 1.0");
    app.add_flag("--no-memory", noMemory, "skip the peak-memory child processes");
    app.add_option("--import-only", importOnly,
                   "import this file --rounds times with the first library (for profilers)");
    app.add_option(kPeakChild, peakChild, "(internal) library, file and output of a memory child")
        ->expected(3)
        ->group("");
    try
    {
        app.parse(Host::ArgumentsLastFirst(argc, argv));
    }
    catch (const CLI::ParseError& error)
    {
        return app.exit(error);
    }
    if (peakChild.size() == 3)
        return ReportPeak(peakChild[0], peakChild[1], peakChild[2]);
    if (small)
    {
        if (app.count("--megabytes") == 0)
            settings.megabytes = {2};
        if (app.count("--rounds") == 0)
            settings.rounds = 2;
    }
    settings.memory = !noMemory;
    if (settings.plugins.empty())
        settings.plugins.push_back(
            Host::DefaultPluginLibrary(argv, LANDXML_PLUGIN_FROM_PROGRAM, LANDXML_PLUGIN_BUILT));
    if (settings.workDirectory.empty())
        settings.workDirectory = std::filesystem::temp_directory_path().u8string();

    std::vector<std::unique_ptr<Library>> libraries;
    for (const std::string& plugin : settings.plugins)
    {
        libraries.push_back(std::make_unique<Library>(plugin));
        for (std::size_t i = 0; i + 1 < libraries.size(); ++i)
            if (libraries[i]->Entry() == libraries.back()->Entry())
                throw std::runtime_error("the system loaded " + plugin + " as the module of " +
                                         libraries[i]->path +
                                         "; give one of the two another file name");
    }
    if (!importOnly.empty())
        return ImportOnly(*libraries.front(), importOnly, settings);

    std::printf("LandXML import benchmark: %zu librar%s, %d rounds, host parsers %s, seed %llu\n",
                libraries.size(), libraries.size() == 1 ? "y" : "ies", settings.rounds,
                settings.hostParse ? "read numbers as the host does" : "return 1.0",
                static_cast<unsigned long long>(settings.seed));
    for (std::size_t i = 0; i < libraries.size(); ++i)
        std::printf("  #%zu %s\n", i + 1, libraries[i]->path.c_str());
    bool allMatch = true;
    for (const double megabytes : settings.megabytes)
        allMatch = RunSize(libraries, settings, megabytes) && allMatch;
    // Each import's host calls against the document, counted like a test runner's cases.
    std::printf("\nhost-call checks: %d passed, %d failed\n", checksPassed, checksFailed);
    if (!allMatch)
    {
        std::printf("\nFAILED: an import made other host calls than the document asks for\n");
        return 1;
    }
    return 0;
}

} // namespace
} // namespace Benchmark

int main(int argc, char** argv)
{
    try
    {
        return Benchmark::Main(argc, argv);
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "landxml-benchmark: %s\n", error.what());
        return 1;
    }
}
