#include "tools/host/CommandLine.h"

#include "tools/host/HostLibrary.h"

#include <filesystem>

namespace Host
{

std::vector<std::string> ArgumentsLastFirst(int argc, char** argv)
{
    std::vector<std::string> arguments;
    for (int i = argc - 1; i > 0; --i)
        arguments.push_back(ArgumentUtf8(i, argv));
    return arguments;
}

std::string DefaultPluginLibrary(char** argv, const std::string& fromProgram,
                                 const std::string& built)
{
    const std::filesystem::path folder =
        std::filesystem::u8path(ArgumentUtf8(0, argv)).parent_path();
    const std::filesystem::path beside = folder / PluginLibraryFileName();
    const std::filesystem::path candidates[] = {
        beside, (folder / std::filesystem::u8path(fromProgram)).lexically_normal(),
        std::filesystem::u8path(built)};
    for (const std::filesystem::path& candidate : candidates)
    {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate.u8string();
    }
    return beside.u8string();
}

} // namespace Host
