// landxml-benchmark: how long the plug-in takes to import large documents, where the time goes,
// and how much memory it needs. For each size a synthetic document is written once; then every
// measurement runs once per round, the rounds one after the other, and the medians are printed.

#include "benchmarks/CallCounter.h"
#include "benchmarks/generator/SyntheticLandXml.h"
#include "document/NestingDepth.h"
#include "import/LandXMLImporter.h"
#include "platform/Platform.h"
#include "plugin/ImportDriver.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <malloc.h>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace Benchmark
{
namespace
{

using Plugin::Attribute;
using Plugin::CLandXMLImporter;
using Plugin::Node;
using Plugin::WideString;
using Tree = rapidxml::xml_document<char>;
using Host::Method;

// The host of the benchmark: its calls counted, nothing kept. Its parsers take every text as 1.0,
// or read it as the host application does.
struct CountingHost
{
    explicit CountingHost(bool hostParse = false) : sink(calls, Options(hostParse)) {}
    static Host::HostOptions Options(bool hostParse)
    {
        Host::HostOptions options;
        options.anyTextIsOne = !hostParse;
        return options;
    }
    std::uint64_t All() const
    {
        std::uint64_t all = 0;
        for (std::size_t m = 0; m < Host::kMethodCount; ++m)
            all += calls.Count(static_cast<Method>(m));
        return all;
    }

    CallCounter calls;
    Host::Sink sink;
};

constexpr double kMiB = 1048576.0;

// Wall time, and the processor time of this process (user and system, page faults included).
// Other programs on the machine lengthen the first; the second is what the work itself costs.
struct Duration
{
    double wall = 0.0;
    double cpu = 0.0;
    double faults = 0.0; // page faults that found no page mapped yet
};

double MinorFaults()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_minflt);
}

double ProcessorSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <typename Work> Duration Timed(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    const double startCpu = ProcessorSeconds();
    const double startFaults = MinorFaults();
    work();
    Duration duration;
    duration.cpu = ProcessorSeconds() - startCpu;
    duration.faults = MinorFaults() - startFaults;
    duration.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return duration;
}

WideString Widen(const std::string& text)
{
    const int byteCount = static_cast<int>(text.size()) + 1;
    const int needed =
        Platform::MultiByteToWide(Platform::CodePage::Utf8, text.c_str(), byteCount, nullptr, 0);
    std::vector<Plugin::WideChar> wide(static_cast<std::size_t>(std::max(needed, 1)));
    if (needed <= 0 || Platform::MultiByteToWide(Platform::CodePage::Utf8, text.c_str(), byteCount,
                                                 wide.data(), needed) != needed)
        throw std::runtime_error("the path cannot be converted: " + text);
    return WideString(wide.data());
}

// A file's bytes and one zero byte after them, read the way the import driver reads a file.
struct FileBytes
{
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
};

FileBytes ReadFile(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        throw std::runtime_error("cannot open " + path);
    FileBytes bytes;
    const bool sized = ::fseeko(file, 0, SEEK_END) == 0;
    const off_t end = sized ? ::ftello(file) : -1;
    if (end < 0 || ::fseeko(file, 0, SEEK_SET) != 0)
    {
        std::fclose(file);
        throw std::runtime_error("cannot find the size of " + path);
    }
    bytes.size = static_cast<std::size_t>(end);
    bytes.data.reset(new char[bytes.size + 1]);
    const std::size_t read = std::fread(bytes.data.get(), 1, bytes.size, file);
    std::fclose(file);
    if (read != bytes.size)
        throw std::runtime_error("cannot read " + path);
    bytes.data[bytes.size] = 0;
    return bytes;
}

std::unique_ptr<char[]> CopyOf(const FileBytes& bytes)
{
    std::unique_ptr<char[]> copy(new char[bytes.size + 1]);
    std::memcpy(copy.get(), bytes.data.get(), bytes.size + 1);
    return copy;
}

// ---- The parser's memory -------------------------------------------------------------------

std::uint64_t poolBytes = 0;

void* CountingAllocate(std::size_t size)
{
    poolBytes += size;
    return ::operator new(size);
}

void CountingFree(void* block)
{
    ::operator delete(block);
}

struct TreeSize
{
    std::uint64_t nodes = 0;
    std::uint64_t attributes = 0;
    std::uint64_t poolBytes = 0; // the pool's dynamic blocks plus the document's static pool

    std::uint64_t NodeBytes() const
    {
        return nodes * sizeof(rapidxml::xml_node<char>) +
               attributes * sizeof(rapidxml::xml_attribute<char>);
    }
};

TreeSize MeasureTree(const Tree& tree)
{
    TreeSize size;
    std::vector<const Node*> pending{&tree};
    while (!pending.empty())
    {
        const Node* node = pending.back();
        pending.pop_back();
        ++size.nodes;
        for (const Attribute* a = node->first_attribute(); a; a = a->next_attribute())
            ++size.attributes;
        for (const Node* child = node->first_node(); child; child = child->next_sibling())
            pending.push_back(child);
    }
    size.poolBytes = poolBytes + RAPIDXML_STATIC_POOL_SIZE;
    return size;
}

// ---- Peak memory, in a fresh process so that nothing the benchmark holds hides it ----------
//
// A forked child would inherit the heap of the sizes measured before, and reuse its free
// blocks without growing; a program started anew begins with an empty heap.

std::uint64_t StatusKiB(const char* field)
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr)
        return 0;
    char line[256];
    std::uint64_t value = 0;
    const std::size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status) != nullptr)
        if (std::strncmp(line, field, length) == 0 && line[length] == ':')
            value = std::strtoull(line + length + 1, nullptr, 10);
    std::fclose(status);
    return value;
}

struct PeakMemory
{
    bool measured = false;
    std::uint64_t baselineKiB = 0; // resident when the child began its work
    std::uint64_t peakKiB = 0;     // highest resident size of the child

    double GrowthMiB() const
    {
        return static_cast<double>(peakKiB - std::min(peakKiB, baselineKiB)) / 1024.0;
    }
};

constexpr const char* kPeakOfParse = "parse";
constexpr const char* kPeakOfImport = "import";

// The child's side: does one piece of work on the file and prints its resident sizes in KiB.
int ReportPeak(const std::string& work, const std::string& file)
{
    const std::uint64_t baseline = StatusKiB("VmRSS");
    if (work == kPeakOfParse)
    {
        FileBytes bytes = ReadFile(file);
        const auto tree = std::make_unique<Tree>();
        tree->parse<rapidxml::parse_declaration_node>(bytes.data.get());
    }
    else if (work == kPeakOfImport)
    {
        CountingHost host;
        const bool consider = true;
        Plugin::ImportFile(Widen(file), host.sink, &consider);
    }
    else
    {
        return 2;
    }
    std::printf("%llu %llu\n", static_cast<unsigned long long>(baseline),
                static_cast<unsigned long long>(StatusKiB("VmHWM")));
    return 0;
}

// The parent's side: runs this program again as the child.
PeakMemory PeakOfChild(const char* work, const std::string& file)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return {};
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child < 0)
    {
        ::close(channel[0]);
        ::close(channel[1]);
        return {};
    }
    if (child == 0)
    {
        ::close(channel[0]);
        ::dup2(channel[1], STDOUT_FILENO);
        ::close(channel[1]);
        std::string self = "/proc/self/exe";
        std::string option = "--peak-child";
        std::string what = work;
        std::string path = file;
        char* arguments[] = {self.data(), option.data(), what.data(), path.data(), nullptr};
        ::execv(self.c_str(), arguments);
        ::_exit(127);
    }
    ::close(channel[1]);
    std::string output;
    char piece[256];
    ssize_t got = 0;
    while ((got = ::read(channel[0], piece, sizeof piece)) > 0)
        output.append(piece, static_cast<std::size_t>(got));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    PeakMemory peak;
    unsigned long long baseline = 0;
    unsigned long long highest = 0;
    peak.measured = WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
                    std::sscanf(output.c_str(), "%llu %llu", &baseline, &highest) == 2;
    peak.baselineKiB = baseline;
    peak.peakKiB = highest;
    return peak;
}

// ---- The measurements ----------------------------------------------------------------------

enum Measurement
{
    FileRead,
    WholeImport,
    WholeParseDocument,
    DepthScan,
    BareParse,
    Units,
    ExtensionFirstPass,
    CgPoints,
    PlanFeatures,
    Survey,
    ExtensionSecondPass,
    ImporterRelease,
    TreeRelease,
    MeasurementCount
};

const char* const kMeasurementNames[MeasurementCount] = {
    "file read (fopen + fread)",
    "whole import (Plugin::ImportFile)",
    "ParseDocument (buffer in memory)",
    "  depth pre-scan (NestsDeeperThan)",
    "  RapidXML parse, bare",
    "  ReadUnits",
    "  ReadExtensionFirstPass",
    "  ReadCgPoints (all CgPoints)",
    "  ReadPlanFeature (features, parcels)",
    "  ReadSurvey (all Survey)",
    "  ReadExtensionSecondPass",
    "  importer release (tables)",
    "  tree release",
};

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

struct Check
{
    const char* name;
    std::uint64_t seen;
    std::uint64_t expected;
};

// The host calls of one import against what the document holds; false on any difference.
// Checks made and failed over the whole run.
int checksPassed = 0;
int checksFailed = 0;

bool CallsMatch(const char* run, const CallCounter& calls, std::int64_t references,
                const SyntheticCounts& counts)
{
    const Check checks[] = {
        {"AddPoint", calls.Count(Method::AddPoint), counts.expectedAddPoint},
        {"SetPointCode", calls.Count(Method::SetPointCode), counts.expectedPointCodes},
        {"SetStation", calls.Count(Method::SetStation), counts.expectedStations},
        {"SetPressure", calls.Count(Method::SetPressure), counts.expectedPressures},
        {"SetTargetPoint", calls.Count(Method::SetTargetPoint), counts.expectedTargets},
        {"SetSlopeDistance", calls.Count(Method::SetSlopeDistance), counts.expectedDistances},
        {"SetObservationTime", calls.Count(Method::SetObservationTime), counts.expectedTimeStamps},
        {"AddImageNote", calls.Count(Method::AddImageNote), counts.expectedImageNotes},
        {"ReportWarning", calls.Count(Method::ReportWarning), counts.expectedWarnings},
        {"ReportError", calls.Count(Method::ReportError), 0},
    };
    bool ok = true;
    for (const Check& check : checks)
    {
        if (check.seen == check.expected)
        {
            ++checksPassed;
            continue;
        }
        ++checksFailed;
        std::printf("MISMATCH in %s: %s called %llu times, the document asks for %llu\n", run,
                    check.name, static_cast<unsigned long long>(check.seen),
                    static_cast<unsigned long long>(check.expected));
        ok = false;
    }
    if (references == 0)
        ++checksPassed;
    else
        ++checksFailed;
    if (references != 0)
    {
        std::printf("MISMATCH in %s: %lld host references still held after the import\n", run,
                    static_cast<long long>(references));
        ok = false;
    }
    return ok;
}

struct Settings
{
    std::vector<double> megabytes{10, 100, 400};
    int rounds = 5;
    std::uint64_t seed = 1;
    std::string workDirectory;
    bool hostParse = false;
    bool memory = true;
};

struct SizeResult
{
    double megabytes = 0.0;
    std::uint64_t bytes = 0;
    std::vector<double> cpu;    // medians by measurement
    std::vector<double> wall;   // medians by measurement
    std::vector<double> faults; // medians by measurement
    TreeSize tree;
    PeakMemory importPeak;
    PeakMemory parsePeak;
    std::uint64_t hostCalls = 0;
    std::uint64_t parserCalls = 0;
    bool callsMatch = true;
};

class SizeBenchmark
{
public:
    SizeBenchmark(const Settings& options, std::string documentPath, const SyntheticCounts& held)
        : settings(options), path(std::move(documentPath)), widePath(Widen(path)), counts(held),
          host(options.hostParse), times(MeasurementCount)
    {
    }

    SizeResult Run(double megabytes)
    {
        SizeResult result;
        result.megabytes = megabytes;
        result.bytes = counts.bytes;
        if (settings.memory)
        {
            result.parsePeak = PeakOfChild(kPeakOfParse, path);
            result.importPeak = PeakOfChild(kPeakOfImport, path);
        }
        for (int round = 0; round < settings.rounds; ++round)
        {
            RunRound(result);
            std::printf("  round %d of %d: import %.3f s processor, %.3f s wall\n", round + 1,
                        settings.rounds, times[WholeImport].back().cpu,
                        times[WholeImport].back().wall);
            std::fflush(stdout);
        }
        for (const std::vector<Duration>& measured : times)
        {
            std::vector<double> cpu;
            std::vector<double> wall;
            std::vector<double> faults;
            for (const Duration& duration : measured)
            {
                cpu.push_back(duration.cpu);
                wall.push_back(duration.wall);
                faults.push_back(duration.faults);
            }
            result.cpu.push_back(Median(cpu));
            result.wall.push_back(Median(wall));
            result.faults.push_back(Median(faults));
        }
        return result;
    }

private:
    void CheckCalls(const char* run, SizeResult& result)
    {
        result.callsMatch =
            CallsMatch(run, host.calls, host.sink.LiveObjects(), counts) && result.callsMatch;
        result.hostCalls = host.All();
        result.parserCalls = host.calls.Count(Method::Parse);
        host.calls.Reset();
    }

    void RunRound(SizeResult& result)
    {
        FileBytes source;
        times[FileRead].push_back(Timed([&] { source = ReadFile(path); }));
        times[DepthScan].push_back(Timed(
            [&]
            { deepFlag = Plugin::NestsDeeperThan(source.data.get(), Plugin::kMaxElementDepth); }));
        if (deepFlag)
            throw std::runtime_error("the depth scan refuses the synthetic document");

        {
            std::unique_ptr<char[]> copy = CopyOf(source);
            auto tree = std::make_unique<Tree>();
            times[BareParse].push_back(
                Timed([&] { tree->parse<rapidxml::parse_declaration_node>(copy.get()); }));
            times[TreeRelease].push_back(Timed([&] { tree.reset(); }));
        }

        host.calls.Reset();
        times[WholeImport].push_back(
            Timed([&] { Plugin::ImportFile(widePath, host.sink, &consider); }));
        CheckCalls("the whole import", result);

        {
            std::unique_ptr<char[]> copy = CopyOf(source);
            std::optional<CLandXMLImporter> importer;
            importer.emplace(&host.sink, &consider, widePath);
            times[WholeParseDocument].push_back(
                Timed([&] { importer->ParseDocument(copy.get()); }));
            importer.reset();
            CheckCalls("ParseDocument", result);
        }

        RunSections(source, result);
    }

    // The readers one by one, in the order of CLandXMLImporter::ReadLandXML, on a parsed tree.
    void RunSections(const FileBytes& source, SizeResult& result)
    {
        std::unique_ptr<char[]> copy = CopyOf(source);
        auto tree = std::make_unique<Tree>();
        poolBytes = 0;
        tree->set_allocator(CountingAllocate, CountingFree);
        tree->parse<rapidxml::parse_declaration_node>(copy.get());
        result.tree = MeasureTree(*tree);

        const Node* root = Plugin::FindChild(tree.get(), "LandXML");
        if (root == nullptr)
            throw std::runtime_error("the synthetic document has no LandXML root");
        std::optional<CLandXMLImporter> importer;
        importer.emplace(&host.sink, &consider, widePath);
        for (const Node* node = tree->first_node(); node; node = node->next_sibling())
            if (node->type() == rapidxml::node_declaration)
            {
                if (const Attribute* declared = Plugin::FindAttribute(node, "encoding"))
                    importer->SetEncoding(importer->ToWide(declared->value()));
                break;
            }
        if (Plugin::ValueIs(Plugin::FindAttribute(root, "version"), "1.1"))
            importer->version = 11;
        else if (Plugin::ValueIs(Plugin::FindAttribute(root, "version"), "1.0"))
            importer->version = 10;

        host.calls.Reset();
        times[Units].push_back(
            Timed([&] { importer->ReadUnits(Plugin::FindChild(root, "Units")); }));
        const Node* extension = Plugin::FindChild(root, "HexagonLandXML");
        times[ExtensionFirstPass].push_back(Timed(
            [&]
            {
                if (extension != nullptr)
                    importer->ReadExtensionFirstPass(extension);
            }));
        times[CgPoints].push_back(Timed(
            [&]
            {
                for (const Node* child = root->first_node(); child; child = child->next_sibling())
                    if (Plugin::NameIs(child, "CgPoints"))
                        importer->ReadCgPoints(child);
            }));
        times[PlanFeatures].push_back(Timed(
            [&]
            {
                if (const Node* features = Plugin::FindChild(root, "PlanFeatures"))
                    for (const Node* c = features->first_node(); c; c = c->next_sibling())
                        if (Plugin::NameIs(c, "PlanFeature"))
                            importer->ReadPlanFeature(c, false);
                if (const Node* parcels = Plugin::FindChild(root, "Parcels"))
                    for (const Node* c = parcels->first_node(); c; c = c->next_sibling())
                        if (Plugin::NameIs(c, "Parcel"))
                            importer->ReadPlanFeature(c, false);
            }));
        times[Survey].push_back(Timed(
            [&]
            {
                for (const Node* child = root->first_node(); child; child = child->next_sibling())
                    if (Plugin::NameIs(child, "Survey"))
                        importer->ReadSurvey(child);
            }));
        times[ExtensionSecondPass].push_back(Timed(
            [&]
            {
                if (extension != nullptr)
                    importer->ReadExtensionSecondPass(extension);
            }));
        times[ImporterRelease].push_back(Timed([&] { importer.reset(); }));
        CheckCalls("the readers one by one", result);
    }

    const Settings& settings;
    std::string path;
    WideString widePath;
    SyntheticCounts counts;
    CountingHost host;
    bool consider = true;
    bool deepFlag = false;
    std::vector<std::vector<Duration>> times;
};

// ---- Output --------------------------------------------------------------------------------

std::string Size(double megabytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g MiB", megabytes);
    return text;
}

void PrintSize(const SizeResult& r, const SyntheticCounts& counts, int rounds)
{
    const double mib = static_cast<double>(r.bytes) / kMiB;
    const double import = r.cpu[WholeImport];
    std::printf("\n== %s document: %llu bytes; medians of %d interleaved rounds ==\n",
                Size(r.megabytes).c_str(), static_cast<unsigned long long>(r.bytes), rounds);
    std::printf("   %llu stations, %llu points (%llu control), %llu observations, %llu plan "
                "features, %llu parcels;\n   extension: %llu points, %llu point images, %llu TPS "
                "images of points, %llu setup images, %llu TPS corrections\n",
                static_cast<unsigned long long>(counts.setups),
                static_cast<unsigned long long>(counts.cgPoints),
                static_cast<unsigned long long>(counts.controlPoints),
                static_cast<unsigned long long>(counts.rawObservations),
                static_cast<unsigned long long>(counts.planFeatures),
                static_cast<unsigned long long>(counts.parcels),
                static_cast<unsigned long long>(counts.extensionPoints),
                static_cast<unsigned long long>(counts.pointImages),
                static_cast<unsigned long long>(counts.tpsImagesOfPoints),
                static_cast<unsigned long long>(counts.setupImages),
                static_cast<unsigned long long>(counts.tpsCorrections));
    std::printf("   (processor time of this process; rates and shares are taken from it)\n");
    std::printf("\n   %-38s %10s %10s %10s %10s %10s\n", "measurement", "cpu s", "wall s", "MiB/s",
                "% import", "faults");
    double parts = 0.0;
    double partsWall = 0.0;
    for (int m = 0; m < MeasurementCount; ++m)
    {
        const double t = r.cpu[static_cast<std::size_t>(m)];
        const double wall = r.wall[static_cast<std::size_t>(m)];
        if (m >= DepthScan)
        {
            parts += t;
            partsWall += wall;
        }
        // A rate is given for the steps that each walk the whole file.
        const bool wholeFile = m <= BareParse;
        char rate[32] = "";
        if (wholeFile && t > 0)
            std::snprintf(rate, sizeof rate, "%.1f", mib / t);
        std::printf("   %-38s %10.4f %10.4f %10s %9.1f%% %10.0f\n", kMeasurementNames[m], t, wall,
                    rate, import > 0 ? 100.0 * t / import : 0.0,
                    r.faults[static_cast<std::size_t>(m)]);
        if (m == WholeParseDocument)
            std::printf("   %-38s\n", "ParseDocument, part by part:");
    }
    std::printf("   %-38s %10.4f %10.4f %10s %9.1f%%\n", "  sum of the parts", parts, partsWall, "",
                import > 0 ? 100.0 * parts / import : 0.0);

    const double read = r.cpu[FileRead];
    const double parse = r.cpu[BareParse];
    std::printf("\n   import / bare parse            %6.2f\n", parse > 0 ? import / parse : 0.0);
    std::printf("   import / (read + bare parse)   %6.2f\n",
                read + parse > 0 ? import / (read + parse) : 0.0);
    std::printf("   import - read                  %8.4f s\n", import - read);
    std::printf("   host calls per import          %llu (%llu parser calls)\n",
                static_cast<unsigned long long>(r.hostCalls),
                static_cast<unsigned long long>(r.parserCalls));

    std::printf("\n   memory: file %.1f MiB; parser tree %.1f MiB (%llu nodes x %zu B + %llu "
                "attributes x %zu B), pool %.1f MiB\n",
                mib, static_cast<double>(r.tree.NodeBytes()) / kMiB,
                static_cast<unsigned long long>(r.tree.nodes), sizeof(rapidxml::xml_node<char>),
                static_cast<unsigned long long>(r.tree.attributes),
                sizeof(rapidxml::xml_attribute<char>),
                static_cast<double>(r.tree.poolBytes) / kMiB);
    if (r.importPeak.measured)
        std::printf("   peak resident growth: read + bare parse %.1f MiB (%.2f x file); whole "
                    "import %.1f MiB (%.2f x file)\n",
                    r.parsePeak.GrowthMiB(), r.parsePeak.GrowthMiB() / mib,
                    r.importPeak.GrowthMiB(), r.importPeak.GrowthMiB() / mib);
    std::printf("   host calls as the document asks: %s\n", r.callsMatch ? "yes" : "NO");
}

void PrintSummary(const std::vector<SizeResult>& results)
{
    std::printf("\n== Summary (processor-time medians; memory is the peak resident growth of a "
                "child process) ==\n");
    std::printf("   %-9s %8s %8s %8s %8s %8s %8s %10s %8s %9s %9s %6s\n", "size", "read s",
                "parse s", "import s", "import", "import/", "import/", "import", "tree", "peak",
                "peak", "calls");
    std::printf("   %-9s %8s %8s %8s %8s %8s %8s %10s %8s %9s %9s %6s\n", "", "", "", "", "wall s",
                "parse", "(r + p)", "MiB/s", "MiB", "parse MiB", "imp. MiB", "match");
    for (const SizeResult& r : results)
    {
        const double read = r.cpu[FileRead];
        const double parse = r.cpu[BareParse];
        const double import = r.cpu[WholeImport];
        std::printf("   %-9s %8.3f %8.3f %8.3f %8.3f %8.2f %8.2f %10.1f %8.1f %9.1f %9.1f %6s\n",
                    Size(r.megabytes).c_str(), read, parse, import, r.wall[WholeImport],
                    parse > 0 ? import / parse : 0.0,
                    read + parse > 0 ? import / (read + parse) : 0.0,
                    import > 0 ? static_cast<double>(r.bytes) / kMiB / import : 0.0,
                    static_cast<double>(r.tree.NodeBytes()) / kMiB, r.parsePeak.GrowthMiB(),
                    r.importPeak.GrowthMiB(), r.callsMatch ? "yes" : "NO");
    }
}

std::string MakeWorkDirectory(const std::string& parent)
{
    std::string pattern = parent + "/landxml-benchmark-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    if (::mkdtemp(name.data()) == nullptr)
        throw std::runtime_error("cannot create a folder in " + parent);
    return name.data();
}

// Imports one existing file through the plug-in, for profilers: no generation, no checks.
int ImportOnly(const std::string& file, const Settings& settings)
{
    CountingHost host(settings.hostParse);
    const bool consider = true;
    const WideString path = Widen(file);
    for (int round = 0; round < settings.rounds; ++round)
    {
        host.calls.Reset();
        const Duration t = Timed([&] { Plugin::ImportFile(path, host.sink, &consider); });
        std::printf("import of %s: %.4f s processor, %.4f s wall, %llu host calls, %llu "
                    "warnings, %llu errors\n",
                    file.c_str(), t.cpu, t.wall, static_cast<unsigned long long>(host.All()),
                    static_cast<unsigned long long>(host.calls.Count(Method::ReportWarning)),
                    static_cast<unsigned long long>(host.calls.Count(Method::ReportError)));
    }
    return 0;
}

int Main(int argc, char** argv)
{
    CLI::App app{"Times the LandXML import of synthetic documents of several sizes."};
    Settings settings;
    bool small = false;
    bool hostParse = false;
    bool noMemory = false;
    bool freshMemory = false;
    std::string importOnly;
    std::vector<std::string> peakChild;
    app.add_option("--megabytes", settings.megabytes,
                   "document sizes in MiB, comma separated (default 10,100,400)")
        ->delimiter(',')
        ->check(CLI::PositiveNumber);
    app.add_option("--rounds", settings.rounds, "interleaved rounds per size (default 5)")
        ->check(CLI::Range(1, 1000));
    app.add_option("--seed", settings.seed, "seed of the synthetic documents (default 1)");
    app.add_flag("--small", small, "a quick run for CI: 2 MiB, 2 rounds");
    app.add_option("--workdir", settings.workDirectory,
                   "where the documents are written (default $TMPDIR or /tmp)");
    app.add_flag("--host-parse", hostParse,
                 "the host's parsers read numbers as the host application does instead of "
                 "returning 1.0");
    app.add_flag("--no-memory", noMemory, "skip the peak-memory child processes");
    app.add_flag("--fresh-memory", freshMemory,
                 "let the C library give freed memory back to the system, so that every "
                 "measurement pays for the page faults of fresh memory");
    app.add_option("--import-only", importOnly,
                   "import this file --rounds times and print the times (for profilers)");
    app.add_option("--peak-child", peakChild, "(internal) work and file of a memory child")
        ->expected(2)
        ->group("");
    CLI11_PARSE(app, argc, argv);
    if (peakChild.size() == 2)
        return ReportPeak(peakChild[0], peakChild[1]);

    // A host that imports one file after another reuses its heap. By default the C library
    // keeps every freed block in the process, so that no measurement pays page faults that an
    // earlier one's release caused; otherwise whichever measurement first touches fresh memory
    // after a release would look slower, and the ratios would follow the allocator's policy.
    if (!freshMemory)
    {
        mallopt(M_MMAP_MAX, 0);
        mallopt(M_TRIM_THRESHOLD, -1);
    }

    if (small)
    {
        if (app.count("--megabytes") == 0)
            settings.megabytes = {2};
        if (app.count("--rounds") == 0)
            settings.rounds = 2;
    }
    settings.hostParse = hostParse;
    settings.memory = !noMemory;
    if (!importOnly.empty())
        return ImportOnly(importOnly, settings);
    if (settings.workDirectory.empty())
    {
        const char* temporary = std::getenv("TMPDIR");
        settings.workDirectory = temporary != nullptr && *temporary != 0 ? temporary : "/tmp";
    }

    std::printf("LandXML import benchmark: sizes");
    for (const double size : settings.megabytes)
        std::printf(" %s", Size(size).c_str());
    std::printf("; %d rounds; host parsers %s; seed %llu; %s\n", settings.rounds,
                hostParse ? "read numbers as the host does" : "return 1.0",
                static_cast<unsigned long long>(settings.seed),
                freshMemory ? "freed memory goes back to the system"
                            : "freed memory stays in the process");

    std::vector<SizeResult> results;
    bool allMatch = true;
    for (const double megabytes : settings.megabytes)
    {
        // A folder of its own: no image file the document names can exist beside it.
        const std::string folder = MakeWorkDirectory(settings.workDirectory);
        char name[64];
        std::snprintf(name, sizeof name, "/synthetic-%gMiB.xml", megabytes);
        const std::string path = folder + name;

        SyntheticOptions options;
        options.targetBytes = static_cast<std::uint64_t>(megabytes * kMiB);
        options.seed = settings.seed;
        SyntheticCounts counts;
        const Duration generation = Timed(
            [&]
            {
                std::FILE* file = std::fopen(path.c_str(), "wb");
                if (file == nullptr)
                    throw std::runtime_error("cannot write " + path);
                try
                {
                    counts = WriteSyntheticLandXml(options, file);
                }
                catch (...)
                {
                    std::fclose(file);
                    throw;
                }
                if (std::fclose(file) != 0)
                    throw std::runtime_error("cannot write " + path);
            });
        std::printf("\n%s: generated %s in %.2f s\n", Size(megabytes).c_str(), path.c_str(),
                    generation.wall);
        std::fflush(stdout);

        SizeResult result;
        try
        {
            SizeBenchmark benchmark(settings, path, counts);
            result = benchmark.Run(megabytes);
        }
        catch (...)
        {
            std::remove(path.c_str());
            ::rmdir(folder.c_str());
            throw;
        }
        std::remove(path.c_str());
        ::rmdir(folder.c_str());
        PrintSize(result, counts, settings.rounds);
        allMatch = allMatch && result.callsMatch;
        results.push_back(std::move(result));
    }
    PrintSummary(results);
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
