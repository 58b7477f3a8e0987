#pragma once

// Output that replaces its target only when it is complete. It is written to a temporary file
// beside the target and renamed over it by Commit, so a run that ends early (a library that
// cannot be loaded, a failed write) leaves an existing file, such as a reviewed trace, as it was.
// A target that is no regular file (a device, a pipe) is written directly.

#include <filesystem>
#include <fstream>
#include <string>

namespace Probe
{

class OutputFile
{
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    // Removes the temporary file unless it was committed.
    ~OutputFile();

    // Creates the temporary file, in binary so that every build writes the same bytes.
    bool Open(const std::filesystem::path& target);
    std::ostream& Stream() { return stream; }
    // Closes the temporary file and renames it over the target; on failure error says why.
    bool Commit(std::string& error);

private:
    std::filesystem::path target;
    std::filesystem::path temporary;
    std::ofstream stream;
};

} // namespace Probe
