#pragma once

// The checked import: the plug-in's code driven through the host, every call checked by the rule
// checker and recorded. Whatever leaves the import is caught and classified; nothing may leave a
// slot of the plug-in. The tests' imports and the fuzz targets run through these.

#include "tools/host/Host.h"
#include "tools/host/RuleChecker.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace Host
{

// A folder of this process for documents imported from files. It holds the image files
// Images/IMG1.jpg and pics/IMG2.jpg so that image references can be found.
const std::filesystem::path& WorkFolder();

struct DocumentChoices
{
    HostOptions host;
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

} // namespace Host
