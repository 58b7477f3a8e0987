#include "tools/landxml-probe/OutputFile.h"

#include <cctype>

namespace Probe
{

namespace
{

// Windows has its devices (NUL, CON, COM1, ...) under these names in every folder, with any
// extension; they are not files, and the file system does not report them as devices.
bool IsWindowsDeviceName(const std::filesystem::path& file)
{
    if (std::filesystem::path::preferred_separator != '\\')
        return false;
    // The name up to its first dot, upper case; characters other than ASCII cannot match.
    const std::filesystem::path name = file.filename();
    std::string stem;
    for (const auto c : name.native())
    {
        if (c == '.')
            break;
        // Negative chars (bytes above 0x7F) become large and fail the test too.
        const auto code = static_cast<unsigned long>(c);
        stem += code < 0x80 ? static_cast<char>(std::toupper(static_cast<int>(code))) : '?';
    }
    const bool numbered = stem.size() == 4 &&
                          (stem.rfind("COM", 0) == 0 || stem.rfind("LPT", 0) == 0) &&
                          stem[3] >= '1' && stem[3] <= '9';
    return numbered || stem == "NUL" || stem == "CON" || stem == "PRN" || stem == "AUX";
}

} // namespace

OutputFile::~OutputFile()
{
    if (temporary.empty())
        return;
    stream.close();
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
}

bool OutputFile::Open(const std::filesystem::path& file)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(file, error);
    if ((std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) ||
        IsWindowsDeviceName(file))
    {
        // A device or a pipe (/dev/null, NUL, /dev/stdout) cannot be replaced: it is written to.
        stream.open(file, std::ios::binary);
        return static_cast<bool>(stream);
    }
    // A link stays a link: the file it leads to is replaced.
    target = std::filesystem::weakly_canonical(file, error);
    if (error)
        target = file;
    // Beside the target, so that the rename stays on one file system.
    temporary = target;
    temporary += ".partial";
    stream.open(temporary, std::ios::binary | std::ios::trunc);
    if (!stream)
    {
        temporary.clear();
        return false;
    }
    return true;
}

bool OutputFile::Commit(std::string& error)
{
    stream.close();
    if (!stream)
    {
        error = "the output could not be written";
        return false;
    }
    if (temporary.empty())
        return true;
    std::error_code renameError;
    std::filesystem::rename(temporary, target, renameError);
    if (renameError)
    {
        error = renameError.message();
        return false;
    }
    temporary.clear();
    return true;
}

} // namespace Probe
