#pragma once

// A plan view of what the host received, as SVG: the points of every file of the import at
// their coordinates (north up, one scale for both axes), the stations, a line from a station to
// each target observed from it, and the points that share a line code joined in the order their
// codes reached the host. What the checks found is marked: a name at two positions, sights of
// face pairs that disagree, stations without a position. Markers and labels are sized to the
// density of the data, and a label that would overlap one already placed is left out (the name
// stays in the point's tooltip).

#include "tools/host/Recorder.h"
#include "tools/landxml-probe/Checks.h"

#include <ostream>
#include <string>
#include <vector>

namespace Probe
{

// calls: the import's record (all files); unit: the length unit's symbol for the scale bar
// ("m", "ft"), or empty when the files do not say one; marks: what the checks found, per file
// in import order.
void WritePlan(std::ostream& out, const std::vector<Host::Call>& calls, const std::string& unit,
               const std::vector<PlanMarks>& marks);

} // namespace Probe
