#pragma once

#include "document/WideText.h"
#include "plugin/HostInterfaces.h"

namespace Plugin
{

// The white space of XML: space, tab, carriage return and line feed.
constexpr bool IsXmlSpace(WideChar c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The text without the XML white space at its start and end.
inline WideView WithoutXmlSpace(WideView text)
{
    while (!text.empty() && IsXmlSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsXmlSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// A double as the classic locale's printf "%.12g" writes it: at most 12 significant digits,
// no trailing zeros, exponent form below 1e-4 and from 1e12 on. The user's regional settings
// never change it.
void AppendGeneral12(WideText& text, double value);

} // namespace Plugin
