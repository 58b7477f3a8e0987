#pragma once

#include "document/WideText.h"
#include "plugin/HostInterfaces.h"

namespace Plugin
{

// A double as the classic locale's printf "%.12g" writes it: at most 12 significant digits,
// no trailing zeros, exponent form below 1e-4 and from 1e12 on. The user's regional settings
// never change it.
void AppendGeneral12(WideText& text, double value);

} // namespace Plugin
