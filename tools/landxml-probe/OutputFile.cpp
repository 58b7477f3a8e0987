#include "tools/landxml-probe/OutputFile.h"

namespace Probe
{

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
    target = file;
    // Beside the target, so that the rename stays on one file system.
    temporary = file;
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
