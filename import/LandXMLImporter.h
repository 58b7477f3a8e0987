#pragma once

#include "document/Lookup.h"
#include "document/WideText.h"
#include "import/Tables.h"
#include "plugin/HostInterfaces.h"

#include <optional>
#include <string>
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
    bool Parse(const WideChar* text, double* value) const
    {
        return object != nullptr && object->Parse(text, value);
    }
    bool Parse(const WideText& text, double* value) const { return Parse(text.c_str(), value); }

private:
    IValueParser* object = nullptr;
};

using OptionalNumber = std::optional<double>;

// What the extension and the plan features know of a point, by point name. Its texts live in
// the importer's arena.
struct PointRecord
{
    KeptText attributes;   // " /name=value" for each feature attribute, in order; empty without any
    GrowingText code;      // extended by the curves through the point
    bool gpsPhase = false; // subclass "GPS phase" selects points of other roles
    ArenaList<KeptText> lineCodes;
};

// An onboard image of an extension point or setup.
struct ImageRecord
{
    KeptText name;
    KeptText path; // relative to the document's folder, as found; empty when missing
    double distance = 0.0;
    double horizontalAngle = 0.0;
    double zenithAngle = 0.0;
};

struct StationEntry
{
    KeptText stationName;
    KeptText instrumentDetailsID;
    double instrumentHeight = 0.0;
};

// The atmospheric values of one instrument.
struct TpsCorrection
{
    OptionalNumber dryTemperature;
    OptionalNumber pressure;
    OptionalNumber atmosphericScale; // ppm / 1000
};

// An image record in the list of its point id.
struct ImageEntry
{
    ImageRecord record;
    ImageEntry* next;
};

// What the tables know of one text of the document. Point names, point ids and target names are
// texts of one kind, and mostly the same texts: one record per text keeps a point's code record,
// the images listed under it as a point id and its reflector constant as a target, so that an
// observation finds all three with one lookup when its target's name has no "@". Each part
// keeps the first entry the document gives it, independently of the others.
struct NameRecord
{
    WideView text; // the key, kept in the arena
    PointRecord point;
    bool hasPoint = false;
    bool hasReflectorConstant = false;
    OptionalNumber reflectorConstant;
    ImageEntry* firstImage = nullptr; // in the order they were added
    ImageEntry* lastImage = nullptr;
};

// The images keep every record under their point id; the records of one id stay in the order
// they were added. The images' order is that of the ids as UTF-16 code units, then of addition;
// a search by name returns the first record in that order, from an index kept as the records
// arrive instead of a walk of all images.
class ImageIndex
{
public:
    explicit ImageIndex(TextArena& arena);

    void Add(NameRecord& id, const ImageRecord& record);
    // The first record, in image order, whose name equals name; null when there is none.
    ImageRecord* FindByName(WideView name);

private:
    struct First
    {
        WideView id;
        ImageRecord* record;
    };

    TextArena& arena;
    Table<WideView, First> firstByName;
};

// What the first extension pass found, by node, in the order it asked. The second pass asks
// about the same nodes in the same order and takes the answers in turn.
template <typename Answer> class PassLog
{
public:
    struct Entry
    {
        const Node* node;
        Answer answer;
    };

    void Add(const Node* node, const Answer& answer) { entries.push_back(Entry{node, answer}); }
    // The next answer when it was found for node; null otherwise, and the caller asks anew.
    const Answer* Next(const Node* node)
    {
        if (next < entries.size() && entries[next].node == node)
            return &entries[next++].answer;
        return nullptr;
    }
    // Where the next answer is taken from.
    void Rewind(std::size_t position) { next = position; }
    std::size_t size() const { return entries.size(); }
    const Entry& operator[](std::size_t index) const { return entries[index]; }

private:
    std::vector<Entry> entries;
    std::size_t next = 0;
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
    // The value of an attribute or element, up to its first zero.
    WideText ValueOf(const rapidxml::xml_base<char>* item) const;
    WideText ToWideText(const char* text) const;
    WideText ToWideText(const char* text, std::size_t length) const;
    WideString ToWide(const char* text) const;
    WideString ToWide(const char* text, std::size_t length) const;

    // Dispatch and units.
    void ReadLandXML(const Node* root);
    void ReadUnits(const Node* units);
    bool ConvertAngle(WideView text, double& value) const;

    // Points.
    void ReadCgPoints(const Node* cgPoints);
    bool ReadFeature(const Node* feature, PointRecord& record);
    void ReadPointCoordinates(WideView text);
    // The points of the second extension pass, which only makes the host calls: no reader after
    // it reads the tables.
    void ReadExtensionPoints(const Node* extension);
    void ReadExtensionPoint(const Node* point, bool firstPass);
    // Fills *record when it is not null. False when the reference lacks a name, location or format.
    bool ReadImageReference(ImageRecord* record, const Node* reference, bool firstPass);

    // Survey.
    void ReadSurvey(const Node* survey);
    void ReadInstrumentSetup(const Node* setup);
    void ReadObservationGroup(const Node* group);
    // The station of the setup id, activated; null when there is none.
    const StationEntry* ActivateStation(WideView setupId);
    // An observation of the station activated last, whose instrument has correction (or null).
    void ReadRawObservation(const TpsCorrection* correction, const Node* observation);
    void SendImageNote(const ImageRecord& image);

    // Plan features.
    void ReadPlanFeature(const Node* feature, bool fromExtension);

    // The vendor extension.
    void ReadExtensionFirstPass(const Node* extension);
    void ReadExtensionSecondPass(const Node* extension);
    void ReadTpsCorrection(const Node* correction);
    void ReadExtensionSetup(const Node* setup, bool firstPass);

    // Read by tests and by the benchmark; the readers use the fields directly.
    int Version() const { return version; }
    const WideString& Encoding() const { return encoding; }
    const WideString& Folder() const { return folder; }
    int AngularUnit() const { return angularUnit; }

    IImportSink* sink;
    TextArena arena; // before the tables, which live in it
    ParserReference distanceParser;
    ParserReference angleParser;
    ParserReference temperatureParser;
    ParserReference pressureParser;
    Table<WideView, TpsCorrection> tpsCorrections;
    Table<WideView, NameRecord> nameRecords;
    Table<WideView, StationEntry> stations;
    int angularUnit = 1;
    ImageIndex images;

    // The record of text, added empty when there is none.
    NameRecord& RecordOf(WideView text);
    // The extension's code record of a point name; null when there is none.
    PointRecord* PointOf(WideView name);
    WideString folder;
    const bool* considerPrismConstant;
    int version = 12;

    // The declared encoding; setting it also decides the code page of every later ToWide.
    void SetEncoding(WideString declared);

private:
    enum class ImageLocation : unsigned char
    {
        AtLocation, // location/name.format
        InImages,   // Images/name.format
        Missing
    };
    // Where the image file of a reference is, its paths in locationPath and imagesPath. The
    // second extension pass looks for the files of the first one's references, in the same
    // order: it takes the first pass's answers in turn instead of looking again.
    ImageLocation LocateImage(const Node* reference, bool plainFileName, bool firstPass);
    // True when a file at relativePath can exist: when the text after its last "/" names a file
    // (plainFileName), a folder that is not there holds no file, and the folders are looked for
    // once each.
    bool FileExists(WideView relativePath, bool plainFileName);
    // Spells a reference's two paths into locationPath and imagesPath; false when the reference
    // lacks a name, a location or a format.
    bool SpellImagePaths(const Node* reference, const char** name, bool* plainFileName);
    // The warnings for an image found in neither place.
    void ReportMissingImage();
    void ReportMissingFile(const WideText& relativePath);
    // The first record of an image name, as the first pass found it for the same TPSImage.
    ImageRecord* FindImageByName(const Node* tpsImage, WideView name, bool firstPass);

    WideString encoding;
    bool ansiCodePage = false;           // decided once per declared encoding, not per conversion
    PassLog<ImageLocation> knownImages;  // by image reference
    PassLog<ImageRecord*> imageSearches; // by TPSImage
    // The extension the first pass read: its point images are the first pointImages of
    // knownImages, and firstSurvey is its first Survey.
    const Node* firstPassExtension = nullptr;
    std::size_t pointImages = 0;
    const Node* firstSurvey = nullptr;
    Table<WideView, bool> knownFolders;

    // A path as the document spells it, converted when first needed. Reused for every image
    // reference, as is the warning.
    struct SpelledPath
    {
        std::string bytes;
        WideText wide;
        bool converted = false;
    };
    const WideText& Converted(SpelledPath& path);
    SpelledPath locationPath;
    SpelledPath imagesPath;
    WideString warning;
};

// True when a declared encoding selects the thread's ANSI code page (it names 1251 or 1252).
bool UsesAnsiCodePage(const WideString& encoding);

// The setup id an observation group refers to: in LandXML 1.2 a leading "o" of an id of two or
// more characters is dropped.
WideView SetupIdOfGroup(int version, WideView id);

// The code text of a point, into code: the first non-empty line code or base, the attributes,
// then the remaining line codes.
void ComposePointCode(WideView base, const PointRecord& record, WideText& code);

// Appends one feature attribute to the attribute text of a point record.
void AppendFeatureAttribute(WideText& attributes, WideView name, WideView value);

} // namespace Plugin
