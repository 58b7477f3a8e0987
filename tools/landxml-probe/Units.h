#pragma once

// The document's units in words: what it declares and what the host receives of it. The plug-in
// sends lengths in metres whatever linear unit the document names, and reads decimal degrees and
// gons with the host's radians parser, scaling the result; temperatures and pressures go to the
// host as written, read in the unit the parser was asked for.

#include "tools/landxml-probe/DocumentContents.h"

#include <string>
#include <vector>

namespace Probe
{

// "lengths in US survey feet, sent in metres; angles in gons, read as radians and scaled; ...":
// units as declared, and angleCode and pressureCode, the unit codes the host's parsers were
// asked for.
std::string UnitsLine(const DeclaredUnits& units, int angleCode, int pressureCode);

// A declared unit the plug-in cannot convert, so that the host reads its numbers as another
// unit.
struct UnconvertedUnit
{
    const char* quantity;  // the parser that reads it: "distance", "angle", ...
    const char* attribute; // "linearUnit", ...
    std::string value;     // as declared
    std::string readAs;    // "metres", "hectopascals", ...
};

std::vector<UnconvertedUnit> UnconvertedUnits(const DeclaredUnits& units);

// True when the document declares a linear unit the plug-in converts: its lengths reach the
// host in metres.
bool LengthsInMetres(const DeclaredUnits& units);

} // namespace Probe
