#pragma once

// A plan view of what the host received, as SVG: the points of every file of the import at
// their coordinates (north up, one scale for both axes), the stations, a line from a station to
// each target observed from it, and the points that share a line code joined in the order their
// codes reached the host.

#include "tools/host/Recorder.h"

#include <ostream>
#include <string>
#include <vector>

namespace Probe
{

// calls: the import's record (all files); unit: the length unit's symbol for the scale bar
// ("m", "ft"), or empty when the files do not say one.
void WritePlan(std::ostream& out, const std::vector<Host::Call>& calls, const std::string& unit);

} // namespace Probe
