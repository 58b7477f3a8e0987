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

// For every item that an opener line starts, the SetPointCode text it ended with ("" without
// one), by the opener's text without its quotes. The other opener and SetStation end an item; an
// item opened twice keeps the last code.
inline std::map<std::string, std::string> CodesOpenedBy(const std::vector<std::string>& lines,
                                                        const std::string& opener,
                                                        const std::string& otherOpener)
{
    const auto quoted = [](const std::string& line, const std::string& call)
    { return line.substr(call.size() + 1, line.size() - call.size() - 3); };
    std::map<std::string, std::string> codes;
    std::string item;
    bool inItem = false;
    for (const std::string& line : lines)
    {
        if (StartsWith(line, opener))
        {
            item = quoted(line, opener);
            codes[item] = "";
            inItem = true;
        }
        else if (StartsWith(line, otherOpener) || StartsWith(line, "SetStation("))
        {
            inItem = false;
        }
        else if (inItem && StartsWith(line, "SetPointCode("))
        {
            codes[item] = quoted(line, "SetPointCode(");
        }
    }
    return codes;
}

// For every observed target, the code its observation ended with.
inline std::map<std::string, std::string> CodesByTarget(const std::vector<std::string>& lines)
{
    return CodesOpenedBy(lines, "SetTargetPoint(", "AddPoint(");
}

// For every point sent, its code, by AddPoint name.
inline std::map<std::string, std::string> CodesByPoint(const std::vector<std::string>& lines)
{
    return CodesOpenedBy(lines, "AddPoint(", "SetTargetPoint(");
}

} // namespace Testing
