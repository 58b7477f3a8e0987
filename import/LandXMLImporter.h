#pragma once

#include "document/Lookup.h"
#include "document/WideText.h"
#include "import/HostBoundary.h"
#include "import/Tables.h"
#include "plugin/HostInterfaces.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace Plugin
{

// One owned reference to a host parser; replacing or destroying it releases the old object, and
// so does a host's exception that passes the import.
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

    // True leaves the parsed value in *value. The host reads the number without the XML white
    // space around it, and a text that is then empty is not handed over. Without a parser
    // nothing parses.
    bool Parse(const WideText& text, double* value) const;

private:
    IValueParser* object = nullptr;
    Held held{*this};
};

// The state of one file's import. Every reader is an operation of it; they meet only through
// its tables and the fixed order of ReadLandXML. Texts of the tree are valid only during
// ParseDocument, and so are the readers.
class CLandXMLImporter
{
public:
    // The sink and the setting are the host's and the plug-in's; neither is owned.
    CLandXMLImporter(IImportSink* sink, const bool* considerPrismConstant, WideView path);
    CLandXMLImporter(const CLandXMLImporter&) = delete;
    CLandXMLImporter& operator=(const CLandXMLImporter&) = delete;

    // Document reading. The buffer holds size bytes followed by a zero byte; a document in UTF-8
    // is parsed in place, so the buffer must outlive the call.
    void ParseDocument(char* buffer, std::size_t size);
    void ReportFormatError();
    // A text of the tree, which is UTF-8, up to its first zero byte.
    WideText ToWide(std::string_view text) const;

    // Dispatch and units.
    void ReadLandXML(const Node* root);
    void ReadUnits(const Node* units);
    bool ConvertAngle(WideView text, double& value) const;
    // A length of the document in metres: the distance parser reads metres, and its result is
    // scaled by the document's linear unit.
    bool ParseLength(const WideText& text, double& metres) const;

    // Points.
    void ReadCgPoints(const Node* cgPoints);
    bool ReadFeature(const Node* feature, PointRecord& record);
    void ReadPointCoordinates(WideView text);
    // The code text of a point: the first non-empty line code or base, the attributes, then
    // the remaining line codes.
    static WideText ComposePointCode(WideView base, const PointRecord& record);
    void ReadExtensionPoints(const Node* extension);
    // False when the reference lacks a name, a location or a format; record is then unchanged.
    bool ReadImageReference(ImageRecord& record, const Node* reference);

    // Survey.
    void ReadSurvey(const Node* survey);
    void ReadInstrumentSetup(const Node* setup);
    void ReadObservationGroup(const Node* group);
    void ActivateStation(WideView setupId);
    // One observation of the station activated last; setupId as its group or setup names it.
    void ReadRawObservation(WideView setupId, const Node* observation);
    void SendImageNote(const ImageRecord& image);

    // Plan features.
    void ReadPlanFeature(const Node* feature, bool fromExtension);
    void ReadExtensionPlanFeatures(const Node* extension);

    // The vendor extension.
    void ReadExtensionFirstPass(const Node* extension);
    void ReadExtensionSecondPass(const Node* extension);
    void ReadTpsCorrection(const Node* correction);
    void ReadExtensionSetup(const Node* setup);
    // The two kinds of child of an extension setup: an observation's reflector constant, and
    // an image taken at the setup ("TPSImage").
    void ReadReflectorConstant(const Node* observation);
    void ReadSetupImage(const Node* setup, const Node* tpsImage);

private:
    // The value of an attribute or element, converted.
    WideText ValueOf(const rapidxml::xml_base<char>* item) const
    {
        return ToWide(std::string_view(item->value(), item->value_size()));
    }
    // In LandXML 1.2 an observation group is named "o" followed by its setup's id.
    WideView SetupIdOfGroup(WideView id) const;
    // The line codes of the two kinds of plan feature.
    void AddStandardLineCodes(const Node* geometry, WideView lineCodeName, WideText lineCodePrefix);
    void AddExtensionLineCodes(const Node* geometry, WideView lineCodeName);
    // True when something exists at the path relative to the folder, asking the file system
    // once per path. When the text after the path's last "/" names a file (plainFileName), a
    // folder that is not there answers for every file in it.
    bool PathExists(WideView relativePath, bool plainFileName);
    void ReportMissingFile(WideView relativePath);

    // The children of the extension element that the passes read, in document order. The
    // element holds one child per point, each far from the next in memory: it is walked once,
    // and every reader of the extension takes its children from here.
    struct ExtensionChildren
    {
        ExtensionChildren()
            : points(ImportMemory::Resource()), planFeatures(ImportMemory::Resource()),
              surveys(ImportMemory::Resource())
        {
        }
        const Node* element = nullptr;
        std::pmr::vector<const Node*> points;
        std::pmr::vector<const Node*> planFeatures; // "PlanFeature" and "Parcel"
        std::pmr::vector<const Node*> surveys;
    };
    const ExtensionChildren& ChildrenOf(const Node* extension);

    // The memory of the tables and their key texts; declared first, so that it outlives them.
    // Point names, point ids and target names are texts of one kind and mostly the same texts:
    // names keys the point records, the reflector constants and the images alike.
    TextArena arena;
    Keys names{arena};
    Keys setupIds{arena};
    Keys instrumentIds{arena};

    IImportSink* sink;
    ParserReference distanceParser;
    ParserReference angleParser;
    ParserReference temperatureParser;
    ParserReference pressureParser;
    Table<TpsCorrection> tpsCorrections{instrumentIds};
    Table<OptionalNumber> reflectorConstants{names};
    Table<PointRecord> points{names};
    Table<StationEntry> stations{setupIds};
    int angularUnit = 1;
    // What the parsers' results are multiplied by: decimal degrees and gons are read by the
    // radians parser, whose result is proportional to the number it reads; lengths are read as
    // metres and the document's unit may be another.
    double angleScale = 1.0;
    double lengthScale = 1.0;
    ImageTable images{names, arena};
    WideText folder;
    const bool* considerPrismConstant;
    int version = 12;
    // What the file system answered, by path relative to the folder.
    Keys pathTexts{arena};
    Table<bool> knownPaths{pathTexts};
    ExtensionChildren extensionChildren;
};

} // namespace Plugin
