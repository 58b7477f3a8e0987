#include "import/LandXMLImporter.h"

namespace Plugin
{

void ComposePointCode(WideView base, const PointRecord& record, WideText& code)
{
    code.Truncate(0);
    if (!record.lineCodes.empty() && !record.lineCodes.front().empty())
        code.Append(record.lineCodes.front());
    else
        code.Append(base);
    code.Append(record.attributes);
    for (std::size_t i = 1; i < record.lineCodes.size(); ++i)
    {
        code.Append(WIDE_TEXT("; "));
        code.Append(record.lineCodes[i]);
    }
}

void AppendFeatureAttribute(WideText& attributes, WideView name, WideView value)
{
    // The attributes follow the code after one blank, each as "/name=value".
    if (attributes.empty())
        attributes.Append(WideChar(' '));
    attributes.Append(WideChar('/'));
    attributes.Append(name);
    attributes.Append(WideChar('='));
    attributes.Append(value);
}

} // namespace Plugin
