#pragma once

// Imports for the tests: documents written to a fresh folder, imported through the driver with
// the recording host, and the host's record as trace lines. Folder names in the lines are
// replaced by "<dir>" so that traces do not depend on where the tests run.

#include "tools/host/RecordingHost.h"

#include <filesystem>
#include <string>
#include <vector>

namespace Testing
{

// A folder of its own under the system's temporary folder, removed with everything in it.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path; }
    // Writes bytes to the file name (UTF-8, may contain "/" for sub-folders) in this folder.
    std::filesystem::path Write(const std::string& name, const std::string& bytes) const;
    std::filesystem::path Child(const std::string& name) const;

private:
    std::filesystem::path path;
};

// A path as the host hands it to the plug-in, with the platform's own separators.
Plugin::WideString HostPath(const std::filesystem::path& path);

struct ImportOptions
{
    Host::HostOptions host;
    bool considerPrismConstant = true;
};

// Imports the paths as one import, returning the record with folder replaced by "<dir>". Fails
// the calling test when a host object is left with a reference or is released once too often.
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

std::string JoinLines(const std::vector<std::string>& lines);
std::string ReadFileBytes(const std::filesystem::path& path);

// A LandXML 1.2 document around body (declaration, root element with version).
std::string LandXml(const std::string& body, const std::string& version = "1.2",
                    const std::string& declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");

} // namespace Testing
