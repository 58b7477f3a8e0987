#pragma once

// The fuzz targets as plain functions: each takes one input and returns what the plug-in did
// wrong with it, empty when every property held. libFuzzer calls them through FuzzEntry.cpp
// (one executable per target); the test suite replays their seed corpora through the same
// functions (tests/hostile/FuzzCorpusReplay.cpp).

#include "fuzz/RuleChecker.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace Fuzzing
{

// Whole documents: parsed in place by CLandXMLImporter as the import driver does, with the
// host and its rule checker, compared with the XML parser's own verdict; again with an allocation
// failure at a point chosen from the input (where the build can fail allocations); and now and then
// through the driver from a file.
Findings ImportDocument(const std::uint8_t* data, std::size_t size);

// Text decoding under both code pages: Platform::MultiByteToWide and CLandXMLImporter::ToWide.
Findings DecodeText(const std::uint8_t* data, std::size_t size);

// ConvertAngle in both angular units with the host's angle parser.
Findings ConvertAngleText(const std::uint8_t* data, std::size_t size);

// ReadPointCoordinates with the host's distance parser.
Findings SplitCoordinates(const std::uint8_t* data, std::size_t size);

// ---- Shared by the targets and the hostile-input tests -------------------------------------

// A folder of this process for documents the targets import from files. It holds the image
// files Images/IMG1.jpg and pics/IMG2.jpg so that image references can be found.
const std::filesystem::path& WorkFolder();

struct DocumentChoices
{
    Host::HostOptions host;
    bool considerPrismConstant = true;
    std::size_t failAt = 0;         // the allocation that fails, counted from 1; 0 for none
    std::size_t longestText = 4096; // longer texts are recorded as their start and length
};

// An import with the host, its calls checked by the rule checker and recorded.
struct ImportRun
{
    Findings findings;                        // the rule checker's and the run's own
    std::vector<FileOutcome> files;           // one per BeginFile
    std::vector<std::string> lines;           // every call but the path list's, as trace lines
    std::vector<std::string> enumeratorCalls; // the path list's methods, in call order
    bool errorLeft = false;                   // an exception left the plug-in (a finding)
    std::string error;           // its kind: "std::bad_alloc", "HResultError 0x8007000E"
    bool failureRaised = false;  // the armed allocation failure was raised
    std::string failedSlot;      // the plug-in's slot it was raised in
    std::size_t allocations = 0; // allocations counted outside host code
};

// One file as the driver imports it (BeginFile, the bytes parsed in place by a new
// CLandXMLImporter for WorkFolder()/document.xml, progress 100), without writing a file.
ImportRun ParseBytes(const std::string& bytes, const DocumentChoices& choices = {});

// One import of the paths through the driver (Plugin::ImportFiles).
ImportRun ImportPaths(const std::vector<std::filesystem::path>& paths,
                      const DocumentChoices& choices = {});

// The plug-in object as a host drives it: CreatePlugin, its three texts, LoadSettings, the
// property list, an import of the bytes from a file followed by a missing path, Release.
// Nothing may leave any of these slots.
ImportRun DrivePlugin(const std::string& bytes, const DocumentChoices& choices = {});

} // namespace Fuzzing
