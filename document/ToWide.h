#pragma once

#include "document/WideText.h"

namespace Plugin
{

// True when a declared encoding selects the thread's ANSI code page (it names 1251 or 1252).
bool UsesAnsiCodePage(WideView encoding);

} // namespace Plugin
