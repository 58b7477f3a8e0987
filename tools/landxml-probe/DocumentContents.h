#pragma once

// What a document holds that does not reach the host, found by reading the document itself
// with the same XML parser the plug-in uses. It restates the plug-in's choices (which points it
// skips, which sections it never visits) in words, so that a summary can say why a file gave
// fewer points than it holds, or none.

#include <filesystem>
#include <string>
#include <vector>

namespace Probe
{

// Items of one kind left out for one reason: "3 raw observations whose target has no name".
struct LeftOut
{
    enum class Kind
    {
        Point,       // an element the plug-in would send as a point
        Observation, // a raw observation the plug-in would send
        Element      // anything else the plug-in does not read
    };
    Kind kind = Kind::Element;
    std::string singular; // "point with role \"measured\""
    std::string plural;   // "points with role \"measured\""
    int count = 0;
    std::vector<std::string> names; // the first few items' names, where they have one
};

struct DocumentContents
{
    bool read = false;      // false when the file cannot be read or is no LandXML document
    std::string linearUnit; // "meter", "USSurveyFoot", ... as the document declares it
    // What the sections the plug-in reads hold: the named children of the top-level CgPoints
    // (and nameless CgPoint elements), the raw observations of the top-level surveys.
    int points = 0;
    int observations = 0;
    std::vector<LeftOut> leftOut; // in the order the document first shows each reason
};

DocumentContents ReadDocumentContents(const std::filesystem::path& file);

} // namespace Probe
