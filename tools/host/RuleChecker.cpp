#include "tools/host/RuleChecker.h"

#include "document/StringTable.h"
#include "platform/HResultError.h"
#include "platform/Platform.h"
#include "tools/host/AllocationFailure.h"
#include "tools/host/Text.h"

#include <iterator>

namespace Host
{
namespace
{

bool StartsWith(const std::u16string& text, const std::u16string& part)
{
    return text.size() >= part.size() && text.compare(0, part.size(), part) == 0;
}

bool EndsWith(const std::u16string& text, const std::u16string& part)
{
    return text.size() >= part.size() &&
           text.compare(text.size() - part.size(), part.size(), part) == 0;
}

bool IsParser(Object object)
{
    return object == Object::DistanceParser || object == Object::AngleParser ||
           object == Object::PressureParser || object == Object::TemperatureParser;
}

} // namespace

RuleChecker::RuleChecker(Observer& nextObserver) : next(nextObserver)
{
    const HostCode hostCode;
    cannotOpenText = FromWide(Plugin::LoadText(Plugin::TextCannotOpenFile).c_str());
    formatErrorText = FromWide(Plugin::LoadText(Plugin::TextFileFormatError).c_str());
    WideChar text[512];
    if (Platform::SystemErrorText(Plugin::E_OUTOFMEMORY_HR, text, std::size(text)))
        outOfMemoryText = FromWide(text);
}

bool RuleChecker::FailurePending() const
{
    return AllocationFailureRaised() && !failureReported;
}

void RuleChecker::HostWorkBegins()
{
    EnterHostCode();
}

void RuleChecker::HostWorkEnds()
{
    LeaveHostCode();
}

void RuleChecker::Observe(const Event& event)
{
    const HostCode hostCode;
    Check(event);
    next.Observe(event);
}

void RuleChecker::Problem(std::string what)
{
    // The first reports tell the story.
    if (problems.size() < 20)
        problems.push_back(std::move(what));
}

std::u16string RuleChecker::CheckedText(const WideChar* text, const std::string& method)
{
    if (text == nullptr)
    {
        Problem(method + " with a null text");
        return {};
    }
    // Reading up to the terminator is the check: the address checker of the sanitizer builds
    // stops a text that does not end inside its allocation.
    const std::size_t length = std::char_traits<WideChar>::length(text);
    return std::u16string(text, text + length);
}

FileOutcome& RuleChecker::Current()
{
    if (files.empty())
        files.emplace_back();
    return files.back();
}

bool RuleChecker::ContentCall(const std::string& method)
{
    if (FailurePending())
        Problem(method + " after an allocation failure was raised");
    if (phase != Phase::Content)
    {
        Problem(method + " outside the document's content");
        return false;
    }
    if (method != "GetValueParserFactory" && factoriesThisFile == 0)
        Problem(method + " before the value parsers were requested");
    ++contentCalls;
    return true;
}

void RuleChecker::InContext(const std::string& method, Context wanted, Context alsoAllowed)
{
    if (!ContentCall(method))
        return;
    if (context != wanted && (alsoAllowed == Context::None || context != alsoAllowed))
    {
        static const char* const names[] = {"no", "a point", "a station", "an observation"};
        Problem(method + " in the context of " + names[static_cast<int>(context)] + " call");
    }
}

void RuleChecker::Check(const Event& event)
{
    const std::string method = NameOf(event.method);
    if (event.object == Object::Sink)
    {
        CheckSink(event, method);
    }
    else if (event.object == Object::Extension)
    {
        CheckExtension(event, method);
    }
    else if (event.object == Object::Factory)
    {
        CheckFactory(event, method);
    }
    else if (IsParser(event.object) && event.method == Method::Parse)
    {
        const std::string kind = NameOf(event.object);
        if (FailurePending())
            Problem(kind + " parser used after an allocation failure was raised");
        CheckedText(event.text, "Parse");
        if (phase != Phase::Content)
            Problem(kind + ".Parse outside the document's content");
    }
}

void RuleChecker::CheckSink(const Event& event, const std::string& method)
{
    switch (event.method)
    {
    case Method::GetValueParserFactory:
        ContentCall(method);
        if (++factoriesThisFile > 1)
            Problem("GetValueParserFactory more than once in one file");
        factoryStep = 0;
        break;
    case Method::BeginFile:
    {
        // An allocation failure raised between two files belongs to the one that begins.
        if (phase != Phase::NoFile && phase != Phase::Done)
            Problem(FailurePending() ? "BeginFile before the allocation failure was reported"
                                     : "BeginFile before the previous file was finished");
        FileOutcome file;
        file.path = CheckedText(event.text, method);
        files.push_back(std::move(file));
        phase = Phase::Opened;
        context = Context::None;
        factoriesThisFile = 0;
        contentCalls = 0;
        break;
    }
    case Method::SetFileResult:
        if (event.integer != -1)
            Problem("SetFileResult with " + std::to_string(event.integer));
        if (phase != Phase::Opened && phase != Phase::Content)
            Problem("SetFileResult outside a file, or twice");
        contentBeforeFileResult = phase == Phase::Content && contentCalls != 0;
        phase = Phase::FileResult;
        break;
    case Method::ReportWarning:
    {
        const std::u16string message = CheckedText(event.text, method);
        if (ContentCall(method) &&
            (!StartsWith(message, u"Файл ") || !EndsWith(message, u" не найден")))
            Problem("ReportWarning with a text that is not a missing-file warning");
        break;
    }
    case Method::ReportError:
    {
        const std::u16string message = CheckedText(event.text, method);
        if (FailurePending() && phase != Phase::FileResult)
            Problem("ReportError after an allocation failure was raised, before SetFileResult");
        if (phase == Phase::Opened && message == cannotOpenText)
        {
            Current().cannotOpen = true;
            phase = Phase::Done;
        }
        else if (phase == Phase::FileResult && message == formatErrorText && !FailurePending())
        {
            if (contentBeforeFileResult)
                Problem("a format error after the document's content began");
            Current().formatError = true;
            phase = Phase::Reported;
        }
        else if (phase == Phase::FileResult && !message.empty() && message != cannotOpenText &&
                 message != formatErrorText)
        {
            // A failure: after an allocation failure, the text for running out of memory.
            if (FailurePending() && message != outOfMemoryText)
                Problem("an allocation failure reported with another text");
            failureReported = failureReported || FailurePending();
            Current().failed = true;
            phase = Phase::Reported;
        }
        else
        {
            Problem("ReportError out of order or with an unexpected text");
        }
        break;
    }
    case Method::SetProgress:
        if (FailurePending())
            Problem("SetProgress after an allocation failure was raised, before its report");
        if (event.number == 50.0 && phase == Phase::Opened)
        {
            Current().parsed = true;
            phase = Phase::Content;
        }
        else if (event.number == 100.0 && (phase == Phase::Content || phase == Phase::Reported))
        {
            if (phase == Phase::Content && factoriesThisFile != 1)
                Problem("a LandXML document finished without its value parsers");
            Current().finished = true;
            phase = Phase::Done;
        }
        else
        {
            Problem("SetProgress(" + std::to_string(static_cast<float>(event.number)) +
                    ") out of order");
        }
        break;
    case Method::GetExtension:
        ContentCall(method);
        if (event.integer == Plugin::PointExtension ||
            event.integer == Plugin::ObservationExtension)
            handedOut[event.integer] = handedOut[event.integer] || event.result != 0;
        else
            Problem("GetExtension with the unknown kind " + std::to_string(event.integer));
        break;
    case Method::AddPoint:
        CheckedText(event.text, method);
        ContentCall(method);
        context = Context::Point;
        ++Current().points;
        break;
    case Method::SetNorthing:
    case Method::SetEasting:
    case Method::SetElevation:
        InContext(method, Context::Point);
        break;
    case Method::SetPlanType:
    case Method::SetHeightType:
        InContext(method, Context::Point);
        if (event.integer != 0)
            Problem(method + " with " + std::to_string(event.integer));
        break;
    case Method::SetPointCode:
        CheckedText(event.text, method);
        InContext(method, Context::Point, Context::Observation);
        break;
    case Method::SetStation:
        CheckedText(event.text, method);
        ContentCall(method);
        context = Context::Station;
        break;
    case Method::SetDate:
        CheckedText(event.text, method);
        InContext(method, Context::Point);
        break;
    case Method::SetInstrumentHeight:
    case Method::SetPressure:
    case Method::SetDryTemperature:
        InContext(method, Context::Station);
        break;
    case Method::SetTargetPoint:
        CheckedText(event.text, method);
        ContentCall(method);
        context = Context::Observation;
        break;
    case Method::SetZenithAngle:
    case Method::SetHorizontalAngle:
    case Method::SetTargetHeight:
    case Method::SetSlopeDistance:
        InContext(method, Context::Observation);
        break;
    case Method::SetFace:
        InContext(method, Context::Observation);
        if (event.integer != 0 && event.integer != 1)
            Problem("SetFace with " + std::to_string(event.integer));
        break;
    default:
        break;
    }
}

void RuleChecker::CheckExtension(const Event& event, const std::string& method)
{
    CheckedText(event.text, method);
    const int kind = event.integer;
    const bool forPoints = event.method == Method::SetDescription;
    if (kind != (forPoints ? Plugin::PointExtension : Plugin::ObservationExtension))
        Problem(method + " on the extension of kind " + std::to_string(kind));
    if (kind < 1 || kind > 2 || !handedOut[kind])
        Problem(method + " on an extension the host did not hand out");
    if (forPoints)
        InContext(method, Context::Point);
    else if (event.method == Method::SetObservationTime)
        InContext(method, Context::Observation);
    else
        ContentCall(method); // an image note may follow an activation that sent nothing
}

// The factory: the four requests in their fixed order, then the release.
void RuleChecker::CheckFactory(const Event& event, const std::string& method)
{
    const int unitCode = event.integer;
    switch (event.method)
    {
    case Method::Release:
        if (factoryStep != 4)
            Problem("factory released after " + std::to_string(factoryStep) + " of 4 requests");
        factoryStep = 5;
        break;
    case Method::GetDistanceParser:
        ExpectRequest(0, method, unitCode == 0);
        break;
    case Method::GetAngleParser:
        ExpectRequest(1, method, unitCode == 0 || unitCode == 1);
        break;
    case Method::GetPressureParser:
        ExpectRequest(2, method, unitCode == 0 || unitCode == 1);
        break;
    case Method::GetTemperatureParser:
        ExpectRequest(3, method, unitCode == 0);
        break;
    default:
        break;
    }
}

void RuleChecker::ExpectRequest(int wanted, const std::string& method, bool unitCodeAllowed)
{
    if (factoryStep != wanted)
        Problem("factory." + method + " as request " + std::to_string(factoryStep + 1) +
                " instead of " + std::to_string(wanted + 1));
    if (!unitCodeAllowed)
        Problem("factory." + method + " with a unit code out of range");
    factoryStep = wanted + 1;
}

void RuleChecker::FinishImport(const Sink& host, bool errorLeft)
{
    const HostCode hostCode;
    if (host.LiveObjects() != 0)
        Problem(std::to_string(host.LiveObjects()) + " host objects left with references");
    for (const std::string& misuse : host.Misuse())
        Problem("host object misuse: " + misuse);
    if (!errorLeft && phase != Phase::NoFile && phase != Phase::Done)
        Problem("the import ended inside a file");
}

} // namespace Host
