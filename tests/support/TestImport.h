#pragma once

// Imports for the tests: documents written to a fresh folder, imported through the driver with
// the host (its calling rules checked as in fuzzing), and the host's record as trace lines.
// Folder names in the lines are replaced by "<dir>" so that traces do not depend on where the
// tests run.

#include "tools/host/Files.h"
#include "tools/host/Host.h"

#include <filesystem>
#include <string>
#include <vector>

namespace Testing
{

// The file helpers the tests share with fuzzing, under the tests' names.
using Host::ReadBytes;
using Host::TempFolder;

struct ImportOptions
{
    Host::HostOptions host;
    bool considerPrismConstant = true;
};

// Imports the paths as one import, returning the record with folder replaced by "<dir>" (the
// path list's calls left out). Fails the calling test when an error leaves the import or a
// calling rule is broken, such as a host object left with a reference.
std::vector<std::string> ImportPaths(const std::vector<std::filesystem::path>& paths,
                                     const std::filesystem::path& folder,
                                     const ImportOptions& options = {});

// Writes the document as name into a fresh folder (with the extra files) and imports it.
std::vector<std::string>
ImportDocument(const std::string& document, const ImportOptions& options = {},
               const std::vector<std::pair<std::string, std::string>>& extraFiles = {},
               const std::string& name = "document.xml");

// Only the lines that are host calls of the sink or its extension (parser and factory calls
// left out), for tests about what reaches the host's data.
std::vector<std::string> SinkCalls(const std::vector<std::string>& lines);

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines,
                                           const std::string& prefix);
std::string JoinLines(const std::vector<std::string>& lines);

// The real LandXML files written by other software, which the repository does not hold: the
// folder LANDXML_REAL_DATA names, else ../shared/real-landxml beside the source tree. Looked up
// when a test runs; tests that need it skip when it is not there.
std::filesystem::path RealDataFolder();

// A LandXML 1.2 document around body (declaration, root element with version).
std::string LandXml(const std::string& body, const std::string& version = "1.2",
                    const std::string& declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");

} // namespace Testing
