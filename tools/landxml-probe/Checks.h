#pragma once

// Checks of the field data: what did reach the host but will likely mislead the surveyor there
// (numbers in a unit the plug-in cannot convert, a point name at two positions, observations
// attached to the wrong station, numbers the host could not read, face pairs that disagree,
// reflector constants left out, observation times lost). Each check is computed from the calls
// the host received and the probe's own reading of the document, which names the line of each
// element a finding comes from; the plug-in is only observed.

#include "tools/host/Recorder.h"
#include "tools/landxml-probe/DocumentContents.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Probe
{

struct CheckExample
{
    std::vector<int> lines; // lines of the document, ascending; empty where none is known
    std::string text;
};

// One check that found something in one file.
struct Finding
{
    std::string check;    // a key that stays: "facePairs", "numbersNotRead", ...
    std::string singular; // "face pair that disagrees"
    std::string plural;   // "face pairs that disagree"
    std::string reason;   // in words a surveyor understands
    int count = 0;
    std::vector<CheckExample> examples; // the first five
    int listed = 0; // examples there were; one may stand for several items (a group's observations)
};

// What the plan marks of one file's findings.
struct PlanMarks
{
    std::vector<std::string> twoPositions;                              // point names
    std::vector<std::string> stationsWithoutPosition;                   // station names
    std::vector<std::pair<std::string, std::string>> disagreeingSights; // station, target
    std::set<std::string> named; // stations and points a finding names: labelled first
};

struct CheckOptions
{
    double toleranceSeconds = 60;  // of face pairs
    bool prismConstantOff = false; // the host's setting ConsiderPrismConstant is 0
};

struct FileChecks
{
    std::vector<Finding> findings; // in a fixed order of the checks
    PlanMarks marks;
};

// calls[first, last): one file's part of the record, from its BeginFile; document: the file's
// document as the probe read it.
FileChecks RunChecks(const std::vector<Host::Call>& calls, std::size_t first, std::size_t last,
                     const DocumentContents& document, const CheckOptions& options);

} // namespace Probe
