#pragma once

#include "document/WideText.h"

namespace Plugin
{

enum TextId : unsigned
{
    TextCannotOpenFile = 101,
    TextFileFormatError = 102,
    TextSettingsCaption = 103,
    TextConsider = 104,
    TextDoNotConsider = 105,
    TextPrismConstant = 106,
};

// A text of the module's string table; an id that is not in the table gives the empty text.
// Raises HResultError when the table cannot be read.
WideText LoadText(unsigned id);

} // namespace Plugin
