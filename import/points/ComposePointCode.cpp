#include "import/LandXMLImporter.h"

namespace Plugin
{

WideString ComposePointCode(const WideString& base, const PointRecord& record)
{
    WideString code = base;
    if (!record.lineCodes.empty() && !record.lineCodes.front().empty())
        code = record.lineCodes.front();
    if (!record.attributes.empty())
    {
        code += WideChar(' ');
        for (const auto& [name, value] : record.attributes)
        {
            code += WideChar('/');
            code += name;
            code += WideChar('=');
            code += value;
        }
    }
    for (std::size_t i = 1; i < record.lineCodes.size(); ++i)
    {
        code += WIDE_TEXT("; ");
        code += record.lineCodes[i];
    }
    return code;
}

} // namespace Plugin
