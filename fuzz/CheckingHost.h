#pragma once

// A host that checks, on every call, that the plug-in keeps the rules the host relies on, and
// records what it breaks instead of stopping. The factory and the parsers are the recording
// host's own objects, seen through thin wrappers, so that its accounting of references (every
// object released exactly once) applies; the sink and the two extensions are this host's.
//
// Rules checked, per file (a file runs from BeginFile to its last call):
// - every text is a readable, zero-terminated UTF-16 string;
// - the driver's frame: BeginFile; then either ReportError "cannot open" and nothing more, or
//   the parse's progress 50 and format error in their order, and progress 100 at the end;
// - nothing arrives after progress 100, nor after an allocation failure was raised inside the
//   plug-in (the import must end at once);
// - the value parser factory is requested once, before every other call of the document's
//   content, asked for the four parsers in their fixed order and released;
// - point calls follow an AddPoint, station calls a SetStation, observation calls a
//   SetTargetPoint, with no other context opened in between; a point code may belong to a
//   point or to an observation;
// - SetDescription reaches the point extension (kind 1), SetObservationTime and AddImageNote
//   the observation extension (kind 2), never an extension the host did not hand out;
// - ReportError carries a text of the string table, ReportWarning a missing-file text.

#include "tools/host/RecordingHost.h"

#include <memory>
#include <string>
#include <vector>

namespace Fuzzing
{

using Findings = std::vector<std::string>;

struct CheckingOptions
{
    bool pointExtension = true;       // GetExtension(1) hands out the point extension
    bool observationExtension = true; // GetExtension(2) hands out the observation extension
};

// What one file of the import came to.
struct FileOutcome
{
    std::u16string path;
    bool cannotOpen = false;  // ReportError "cannot open" after BeginFile
    bool formatError = false; // SetFileResult(-1) and ReportError "format error"
    bool parsed = false;      // progress 50: the XML was well-formed
    bool finished = false;    // progress 100
    int points = 0;           // AddPoint calls
};

class CheckingParser;
class CheckingFactory;

class CheckingHost final : public Plugin::IImportSink
{
public:
    explicit CheckingHost(CheckingOptions options = {});
    ~CheckingHost();
    CheckingHost(const CheckingHost&) = delete;
    CheckingHost& operator=(const CheckingHost&) = delete;

    // IImportSink
    Plugin::IValueParserFactory* GetValueParserFactory() override;
    void BeginFile(const Plugin::WideChar* path) override;
    void SetFileResult(int result) override;
    void ReportWarning(const Plugin::WideChar* text) override;
    void ReportError(const Plugin::WideChar* text) override;
    void SetProgress(float percent) override;
    Plugin::ISinkExtension* GetExtension(int kind) override;
    void AddPoint(const Plugin::WideChar* name) override;
    void SetNorthing(double value) override;
    void SetEasting(double value) override;
    void SetElevation(double value) override;
    void SetPlanType(int type) override;
    void SetHeightType(int type) override;
    void SetPointCode(const Plugin::WideChar* code) override;
    void SetStation(const Plugin::WideChar* name) override;
    void SetDate(const Plugin::WideChar* date) override;
    void SetInstrumentHeight(double value) override;
    void SetTargetPoint(const Plugin::WideChar* name) override;
    void SetPressure(double value) override;
    void SetDryTemperature(double value) override;
    void SetZenithAngle(double value) override;
    void SetHorizontalAngle(double value) override;
    void SetTargetHeight(double value) override;
    void SetSlopeDistance(double value) override;
    void SetFace(int face) override;

    // The end of the import: every host object must be released by now, and, unless an error
    // left the import, the last file must have been finished.
    void FinishImport(bool errorLeft);

    const Findings& Problems() const { return problems; }
    const std::vector<FileOutcome>& Files() const { return files; }
    // The calls of the sink and its extensions as trace lines (parser calls left out); texts
    // longer than 4096 characters appear shortened, with their length.
    const std::vector<std::string>& Lines() const { return lines; }

    // One parser call, as the parser saw it.
    struct ParseCall
    {
        std::string kind;
        std::u16string text;
        bool accepted = false;
        double value = 0.0;
    };
    const std::vector<ParseCall>& ParseCalls() const { return parseCalls; }

    // Used by the wrappers and the extensions.
    void Problem(std::string what);
    std::u16string CheckedText(const Plugin::WideChar* text, const char* method);
    void ParserCalled(ParseCall call);
    void ExtensionCall(int kind, const char* method, const Plugin::WideChar* text);
    Host::RecordingHost& Objects() { return objects; }

private:
    enum class Phase
    {
        NoFile,      // before the first BeginFile
        Opened,      // after BeginFile
        Content,     // after progress 50
        FormatError, // after SetFileResult(-1)
        Reported,    // after ReportError with the format error
        Done,        // after progress 100, or after "cannot open"
    };
    enum class Context
    {
        None,
        Point,
        Station,
        Observation,
    };

    class Extension;

    // Checks a call of the document's content; false when it may not come now.
    bool ContentCall(const char* method);
    void InContext(const char* method, Context wanted, Context alsoAllowed = Context::None);
    void Line(const char* object, const char* method, const std::vector<Host::Value>& arguments);
    FileOutcome& Current();

    Host::RecordingHost objects;
    CheckingOptions options;
    std::unique_ptr<Extension> pointExtension;
    std::unique_ptr<Extension> observationExtension;
    std::vector<std::unique_ptr<CheckingFactory>> factories;
    Findings problems;
    std::vector<FileOutcome> files;
    std::vector<std::string> lines;
    std::vector<ParseCall> parseCalls;
    Phase phase = Phase::NoFile;
    Context context = Context::None;
    int factoriesThisFile = 0;
    int contentCalls = 0;
    std::u16string cannotOpenText;
    std::u16string formatErrorText;
};

} // namespace Fuzzing
