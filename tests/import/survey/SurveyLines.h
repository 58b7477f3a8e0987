#pragma once

// Reading recorded imports of survey documents: the calls of one observation, of the station
// activations, and the numbers inside trace lines.

#include "tests/support/TestImport.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace SurveyTesting
{

inline bool Begins(const std::string& line, const std::string& prefix)
{
    return line.rfind(prefix, 0) == 0;
}

// A document of the given version with an optional extension element and one standard Survey.
inline std::string SurveyDocument(const std::string& extension, const std::string& survey,
                                  const std::string& version = "1.2")
{
    std::string body;
    if (!extension.empty())
        body += "<HexagonLandXML>" + extension + "</HexagonLandXML>\n";
    body += "<Survey>" + survey + "</Survey>";
    return Testing::LandXml(body, version);
}

// The host calls of the first observation of target (parser calls left out): from its
// SetTargetPoint up to the next observation, station, warning or the end of the file.
inline std::vector<std::string> ObservationOf(const std::vector<std::string>& lines,
                                              const std::string& target)
{
    const std::vector<std::string> calls = Testing::SinkCalls(lines);
    const std::string start = "SetTargetPoint(\"" + target + "\")";
    std::vector<std::string> observation;
    bool inside = false;
    for (const std::string& line : calls)
    {
        if (inside && (Begins(line, "SetTargetPoint(") || Begins(line, "SetStation(") ||
                       Begins(line, "ReportWarning(") || Begins(line, "SetProgress(")))
            break;
        if (!inside && line == start)
            inside = true;
        if (inside)
            observation.push_back(line);
    }
    return observation;
}

// Every line from the first that starts with from (excluded) up to the first after it that
// starts with to (excluded); parser calls included.
inline std::vector<std::string> Between(const std::vector<std::string>& lines,
                                        const std::string& from, const std::string& to)
{
    std::vector<std::string> part;
    bool inside = false;
    for (const std::string& line : lines)
    {
        if (inside && Begins(line, to))
            break;
        if (inside)
            part.push_back(line);
        if (!inside && Begins(line, from))
            inside = true;
    }
    return part;
}

// The number inside Method(number).
inline double NumberIn(const std::string& line)
{
    const std::size_t open = line.find('(');
    return std::strtod(line.c_str() + open + 1, nullptr);
}

} // namespace SurveyTesting
