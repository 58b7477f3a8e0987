#pragma once

// Reading a recorded import for the tests of the import readers: the host's data calls without
// the frame around them, and the code text each observed target received.

#include "tests/support/TestImport.h"

#include <map>
#include <string>
#include <vector>

namespace Testing
{

inline bool StartsWith(const std::string& line, const std::string& prefix)
{
    return line.rfind(prefix, 0) == 0;
}

// The sink's and extension's calls without the file frame (BeginFile, SetProgress).
inline std::vector<std::string> HostData(const std::vector<std::string>& lines)
{
    std::vector<std::string> data;
    for (const std::string& line : SinkCalls(lines))
        if (!StartsWith(line, "BeginFile(") && !StartsWith(line, "SetProgress("))
            data.push_back(line);
    return data;
}

// For every observed target, the SetPointCode text its observation ended with ("" without one),
// without its quotes. A target observed twice keeps the last observation's code.
inline std::map<std::string, std::string> CodesByTarget(const std::vector<std::string>& lines)
{
    std::map<std::string, std::string> codes;
    std::string target;
    bool inObservation = false;
    for (const std::string& line : lines)
    {
        if (StartsWith(line, "SetTargetPoint("))
        {
            target = line.substr(16, line.size() - 18);
            codes[target] = "";
            inObservation = true;
        }
        else if (StartsWith(line, "AddPoint(") || StartsWith(line, "SetStation("))
        {
            inObservation = false;
        }
        else if (inObservation && StartsWith(line, "SetPointCode("))
        {
            codes[target] = line.substr(14, line.size() - 16);
        }
    }
    return codes;
}

// For every point sent, its SetPointCode text ("" without one), by AddPoint name.
inline std::map<std::string, std::string> CodesByPoint(const std::vector<std::string>& lines)
{
    std::map<std::string, std::string> codes;
    std::string point;
    bool inPoint = false;
    for (const std::string& line : lines)
    {
        if (StartsWith(line, "AddPoint("))
        {
            point = line.substr(10, line.size() - 12);
            codes[point] = "";
            inPoint = true;
        }
        else if (StartsWith(line, "SetTargetPoint(") || StartsWith(line, "SetStation("))
        {
            inPoint = false;
        }
        else if (inPoint && StartsWith(line, "SetPointCode("))
        {
            codes[point] = line.substr(14, line.size() - 16);
        }
    }
    return codes;
}

} // namespace Testing
