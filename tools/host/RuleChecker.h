#pragma once

// The observer that checks, on every call, that the plug-in keeps the rules the host relies on,
// and notes what it breaks instead of stopping. Each call goes on to the next observer after the
// checks (the run's record). The host's own accounting of its objects (every object released
// exactly once, nothing used after its last release) is taken at the end of the import.
//
// Rules checked, per file (a file runs from BeginFile to its last call):
// - every text is a readable, zero-terminated UTF-16 string;
// - the driver's frame: BeginFile; then either ReportError "cannot open" and nothing more, or
//   the parse's progress 50 and format error in their order, and progress 100 at the end;
// - a file whose import failed (an error of the plug-in's own) ends with SetFileResult(-1),
//   ReportError with the system's text for the error and progress 100; after an allocation
//   failure was raised inside the plug-in, that report is all the file receives, with the text
//   for running out of memory;
// - nothing arrives for a file after its progress 100;
// - the value parser factory is requested once, before every other call of the document's
//   content, asked for the four parsers in their fixed order and released; parsers parse only
//   inside the document's content;
// - point calls follow an AddPoint, station calls a SetStation, observation calls a
//   SetTargetPoint, with no other context opened in between; a point code may belong to a
//   point or to an observation;
// - SetDescription reaches the point extension (kind 1), SetObservationTime and AddImageNote
//   the observation extension (kind 2), never an extension the host did not hand out;
// - ReportError carries a text of the string table, ReportWarning a missing-file text.

#include "tools/host/Host.h"

#include <string>
#include <vector>

namespace Host
{

using Findings = std::vector<std::string>;

// What one file of the import came to.
struct FileOutcome
{
    std::u16string path;
    bool cannotOpen = false;  // ReportError "cannot open" after BeginFile
    bool formatError = false; // SetFileResult(-1) and ReportError "format error"
    bool failed = false;      // SetFileResult(-1) and ReportError with an error's text
    bool parsed = false;      // progress 50: the XML was well-formed
    bool finished = false;    // progress 100
    int points = 0;           // AddPoint calls
};

class RuleChecker final : public Observer
{
public:
    explicit RuleChecker(Observer& next);

    void Observe(const Event& event) override;
    void HostWorkBegins() override;
    void HostWorkEnds() override;

    // The end of the import: every object of host must be released by now, and, unless an
    // error left the import, the last file must have been finished.
    void FinishImport(const Sink& host, bool errorLeft);

    const Findings& Problems() const { return problems; }
    const std::vector<FileOutcome>& Files() const { return files; }

private:
    enum class Phase
    {
        NoFile,     // before the first BeginFile
        Opened,     // after BeginFile
        Content,    // after progress 50
        FileResult, // after SetFileResult(-1)
        Reported,   // after ReportError with the format error or an error's text
        Done,       // after progress 100, or after "cannot open"
    };
    enum class Context
    {
        None,
        Point,
        Station,
        Observation,
    };

    void Check(const Event& event);
    void CheckSink(const Event& event, const std::string& method);
    void CheckExtension(const Event& event, const std::string& method);
    void CheckFactory(const Event& event, const std::string& method);
    void Problem(std::string what);
    std::u16string CheckedText(const Plugin::WideChar* text, const std::string& method);
    // Checks a call of the document's content; false when it may not come now.
    bool ContentCall(const std::string& method);
    void InContext(const std::string& method, Context wanted, Context alsoAllowed = Context::None);
    void ExpectRequest(int wanted, const std::string& method, bool unitCodeAllowed);
    FileOutcome& Current();
    // An allocation failure was raised inside the plug-in and its file was not reported yet.
    bool FailurePending() const;

    Observer& next;
    Findings problems;
    std::vector<FileOutcome> files;
    Phase phase = Phase::NoFile;
    Context context = Context::None;
    int factoriesThisFile = 0;
    int factoryStep = 0; // parsers requested from the last factory; 5 once it was released
    int contentCalls = 0;
    bool handedOut[3] = {}; // by extension kind
    bool contentBeforeFileResult = false;
    bool failureReported = false;
    std::u16string cannotOpenText;
    std::u16string formatErrorText;
    std::u16string outOfMemoryText;
};

} // namespace Host
