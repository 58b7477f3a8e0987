#include "import/LandXMLImporter.h"

namespace Plugin
{

WideText CLandXMLImporter::ComposePointCode(WideView base, const PointRecord& record)
{
    const std::pmr::vector<WideView>& lineCodes = record.lineCodes;
    WideText code(!lineCodes.empty() && !lineCodes.front().empty() ? lineCodes.front() : base);
    code.Append(record.attributes);
    for (std::size_t i = 1; i < lineCodes.size(); ++i)
    {
        code.Append(WIDE_TEXT("; "));
        code.Append(lineCodes[i]);
    }
    return code;
}

} // namespace Plugin
