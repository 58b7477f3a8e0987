#pragma once

// Files for the tests and the fuzz targets: a folder of one's own, and a file's bytes.

#include <filesystem>
#include <string>

namespace Host
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

// The whole file; empty when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);

} // namespace Host
