#pragma once

#include "document/Lookup.h"
#include "plugin/HostInterfaces.h"

#include <map>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Plugin
{

// One owned reference to a host parser; replacing or destroying it releases the old object.
class ParserReference
{
public:
    ParserReference() = default;
    ParserReference(const ParserReference&) = delete;
    ParserReference& operator=(const ParserReference&) = delete;
    ~ParserReference() { Reset(nullptr); }

    void Reset(IValueParser* parser)
    {
        IValueParser* old = object;
        object = parser;
        if (old != nullptr)
            old->Release();
    }
    IValueParser* Get() const { return object; }

    // True leaves the parsed value in *value. Without a parser nothing parses.
    bool Parse(const WideString& text, double* value) const
    {
        return object != nullptr && object->Parse(text.c_str(), value);
    }

private:
    IValueParser* object = nullptr;
};

using OptionalNumber = std::optional<double>;

// What the extension and the plan features know of a point, by point name.
struct PointRecord
{
    std::vector<std::pair<WideString, WideString>> attributes; // feature attributes, in order
    WideString code;
    WideString lineworkCode; // stored, never sent
    WideString subclass;     // "GPS phase" selects points of other roles
    std::vector<WideString> lineCodes;
};

// An onboard image of an extension point or setup.
struct ImageRecord
{
    WideString name;
    WideString path; // relative to the document's folder, as found; empty when missing
    double distance = 0.0;
    double horizontalAngle = 0.0;
    double zenithAngle = 0.0;
};

struct StationEntry
{
    WideString stationName;
    WideString instrumentDetailsID;
    double instrumentHeight = 0.0;
};

// The atmospheric values of one instrument.
struct TpsCorrection
{
    OptionalNumber dryTemperature;
    OptionalNumber pressure;
    OptionalNumber atmosphericScale; // ppm / 1000
};

// Tables keep the first entry per key; keys are ordered by UTF-16 code units.
template <typename Value> using Table = std::map<WideString, Value>;

// The images keep every record; equal keys stay in insertion order. Alongside, the first record
// in table order for each image name, so that a search by name need not walk the table.
class ImageTable
{
public:
    using Records = std::multimap<WideString, ImageRecord>;

    void Add(const WideString& key, ImageRecord record);
    // The first record, in table order, whose name equals name; null when there is none.
    ImageRecord* FindByName(const WideString& name);
    std::pair<Records::iterator, Records::iterator> EqualRange(const WideString& key)
    {
        return records.equal_range(key);
    }
    const Records& All() const { return records; }

private:
    Records records;
    std::map<WideString, Records::iterator> firstByName;
};

// The state of one file's import. Every reader is an operation of it; they meet only through
// its tables and the fixed order of ReadLandXML.
class CLandXMLImporter
{
public:
    // The sink and the setting are the host's and the plug-in's; neither is owned.
    CLandXMLImporter(IImportSink* sink, const bool* considerPrismConstant, const WideString& path);
    CLandXMLImporter(const CLandXMLImporter&) = delete;
    CLandXMLImporter& operator=(const CLandXMLImporter&) = delete;

    // Document reading. The buffer is parsed in place and must outlive the call.
    void ParseDocument(char* buffer);
    void ReportFormatError();
    WideString ToWide(const char* text) const;
    WideString ToWide(const char* text, std::size_t length) const;

    // Dispatch and units.
    void ReadLandXML(const Node* root);
    void ReadUnits(const Node* units);
    bool ConvertAngle(const WideString& text, double& value) const;

    // Points.
    void ReadCgPoints(const Node* cgPoints);
    bool ReadFeature(const Node* feature, PointRecord& record) const;
    void ReadPointCoordinates(const WideString& text);
    void ReadExtensionPoints(const Node* extension);
    bool ReadImageReference(ImageRecord& record, const Node* reference);

    // Survey.
    void ReadSurvey(const Node* survey);
    void ReadInstrumentSetup(const Node* setup);
    void ReadObservationGroup(const Node* group);
    void ActivateStation(WideString setupId);
    void ReadRawObservation(WideString setupId, const Node* observation);
    void SendImageNote(const ImageRecord& image);

    // Plan features.
    void ReadPlanFeature(const Node* feature, bool fromExtension);
    void ReadExtensionPlanFeatures(const Node* extension);

    // The vendor extension.
    void ReadExtensionFirstPass(const Node* extension);
    void ReadExtensionSecondPass(const Node* extension);
    void ReadTpsCorrection(const Node* correction);
    void ReadExtensionSetup(const Node* setup);

    // Read by tests and by the benchmark; the readers use the fields directly.
    int Version() const { return version; }
    const WideString& Encoding() const { return encoding; }
    const WideString& Folder() const { return folder; }
    int AngularUnit() const { return angularUnit; }

    IImportSink* sink;
    ParserReference distanceParser;
    ParserReference angleParser;
    ParserReference temperatureParser;
    ParserReference pressureParser;
    Table<TpsCorrection> tpsCorrections;
    Table<OptionalNumber> reflectorConstants;
    Table<PointRecord> points;
    Table<StationEntry> stations;
    int angularUnit = 1;
    ImageTable images;
    WideString folder;
    const bool* considerPrismConstant;
    int version = 12;

    // The declared encoding; setting it also decides the code page of every later ToWide.
    void SetEncoding(WideString declared);

    // True when something exists at path. Answers are kept for the rest of this file's import:
    // both extension passes look for the same image files.
    bool PathExists(const WideString& path);

private:
    WideString encoding;
    std::unordered_map<WideString, bool> knownPaths;
    bool ansiCodePage = false; // decided once per declared encoding, not per conversion
};

// True when a declared encoding selects the thread's ANSI code page (it names 1251 or 1252).
bool UsesAnsiCodePage(const WideString& encoding);

// The setup id an observation group refers to: in LandXML 1.2 a leading "o" of an id of two or
// more characters is dropped.
WideString SetupIdOfGroup(int version, WideString id);

// The code text of a point: the first non-empty line code or base, the attributes, then the
// remaining line codes.
WideString ComposePointCode(const WideString& base, const PointRecord& record);

} // namespace Plugin
