#pragma once

// What a document holds that does not reach the host, found by reading the document itself
// with the same XML parser the plug-in uses. It restates the plug-in's choices (which points it
// skips, which sections it never visits) in words, so that a summary can say why a file gave
// fewer points than it holds, or none.
// The same reading locates, in the order the plug-in sends them, the elements behind the host
// calls, so that the checks can name the line of the document each finding comes from.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
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

// Elements the plug-in sends, located for the checks: each with the line of the document its
// element starts on (from 1).
struct SentPoint
{
    int line = 0;
    std::string coordinates; // the element's text
};

// A setup or group whose station the plug-in announces before the observations in it.
struct Activation
{
    bool group = false; // an ObservationGroup, else an InstrumentSetup
    std::string id;     // as written
    std::string key;    // the id the station is looked up by (a 1.2 group's without its "o")
    int line = 0;
    bool found = false; // a setup read before has that id
};

struct SentObservation
{
    int line = 0;
    std::size_t activation = 0; // the setup or group it was read in, in activations
    // The attributes the plug-in hands to the distance and to the angle parser, in the order it
    // does: targetHeight, slopeDistance; horizAngle, zenithAngle.
    std::vector<const char*> distanceAttributes;
    std::vector<const char*> angleAttributes;
    bool hasTimeStamp = false;
    std::string timeStamp;
};

// Any other attribute the plug-in hands to a parser: setups' instrument heights and the
// extension's reflector constants, atmospheric values and image angles.
struct NumberAttribute
{
    const char* parser; // "distance", "angle", "pressure", "temperature", as the record names it
    const char* attribute;
    std::string text;
    int line = 0;
};

// The first reflector constant the extension records for a target reference.
struct ReflectorConstant
{
    std::string target; // "targetPntRef", whole
    std::string text;
    int line = 0;
};

// The units the plug-in reads: the first Metric or Imperial element of the first Units element,
// with the attributes it reads as written (unset: the attribute is absent).
struct DeclaredUnits
{
    std::string element; // "Metric" or "Imperial"; empty when there is none
    int line = 0;
    std::optional<std::string> linear;
    std::optional<std::string> angular;
    std::optional<std::string> pressure;
    std::optional<std::string> temperature;
};

struct DocumentContents
{
    bool read = false; // false when the file cannot be read or is no LandXML document
    DeclaredUnits units;
    // What the sections the plug-in reads hold: the named children of the top-level CgPoints
    // (and nameless CgPoint elements), the raw observations of the top-level surveys.
    int points = 0;
    int observations = 0;
    std::vector<LeftOut> leftOut; // in the order the document first shows each reason

    // In the order the plug-in sends them: the points of each top-level CgPoints last to first,
    // the observations of the surveys in document order.
    std::vector<SentPoint> sentPoints;
    std::vector<Activation> activations;
    std::vector<SentObservation> sentObservations;
    std::vector<NumberAttribute> numberAttributes;
    std::vector<ReflectorConstant> reflectorConstants;
    // The first usable setup of each station name: (station name, line).
    std::vector<std::pair<std::string, int>> stationLines;
};

DocumentContents ReadDocumentContents(const std::filesystem::path& file);

} // namespace Probe
