#include "tests/hostile/HostileSupport.h"

#include <algorithm>

namespace Hostile
{

std::vector<std::filesystem::path> SampleDocuments()
{
    std::vector<std::filesystem::path> documents;
    const std::filesystem::path source(LANDXML_SOURCE_DIR);
    for (const char* folder : {"tests/golden", "examples"})
    {
        const std::filesystem::path root = source / folder;
        if (!std::filesystem::is_directory(root))
            continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
            if (entry.is_regular_file() && entry.path().extension() == ".xml")
                documents.push_back(entry.path());
    }
    std::sort(documents.begin(), documents.end());
    return documents;
}

std::string Problems(const Host::ImportRun& run)
{
    std::string text;
    if (run.errorLeft)
        text += "left the import: " + run.error + "; ";
    for (const std::string& finding : run.findings)
        text += finding + "; ";
    return text;
}

std::string TextCall(const char* method, const std::u16string& text)
{
    Host::Call call;
    call.method = method;
    call.arguments = {Host::Text{text}};
    return Host::FormatCall(call);
}

std::string Utf16(const std::string& utf8, bool bigEndian, bool byteOrderMark)
{
    std::u16string units = Host::FromUtf8(utf8);
    if (byteOrderMark)
        units.insert(units.begin(), u'\uFEFF');
    std::string bytes;
    for (const char16_t unit : units)
    {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

} // namespace Hostile
