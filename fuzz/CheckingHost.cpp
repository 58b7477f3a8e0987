#include "fuzz/CheckingHost.h"

#include "fuzz/AllocationFailure.h"
#include "plugin/StringTable.h"

#include <cstdint>

namespace Fuzzing
{
namespace
{

using Plugin::WideChar;

constexpr std::size_t kLineTextLimit = 4096;

std::u16string Shortened(const std::u16string& text)
{
    if (text.size() <= kLineTextLimit)
        return text;
    std::u16string shown = text.substr(0, 64);
    shown += u"...[";
    for (const char c : std::to_string(text.size()))
        shown += static_cast<char16_t>(c);
    shown += u" characters]";
    return shown;
}

// A text argument as the record keeps it.
Host::Value Shown(const std::u16string& text)
{
    return Host::Text{Shortened(text)};
}

std::u16string FromWide(const Plugin::WideString& text)
{
    return std::u16string(text.begin(), text.end());
}

bool StartsWith(const std::u16string& text, const std::u16string& part)
{
    return text.size() >= part.size() && text.compare(0, part.size(), part) == 0;
}

bool EndsWith(const std::u16string& text, const std::u16string& part)
{
    return text.size() >= part.size() &&
           text.compare(text.size() - part.size(), part.size(), part) == 0;
}

} // namespace

// A host parser as the plug-in sees it: calls go to the recording host's parser, after the
// checks.
class CheckingParser final : public Plugin::IValueParser
{
public:
    CheckingParser(CheckingHost& owner, Plugin::IValueParser* wrapped, std::string parserKind)
        : host(owner), inner(wrapped), kind(std::move(parserKind))
    {
    }

    void AddRef() override
    {
        const HostCode hostCode;
        inner->AddRef();
    }

    bool Release() override
    {
        const HostCode hostCode;
        return inner->Release();
    }

    bool Parse(const WideChar* text, double* value) override
    {
        const HostCode hostCode;
        if (AllocationFailureRaised())
            host.Problem(kind + " parser used after an allocation failure was raised");
        CheckingHost::ParseCall call;
        call.kind = kind;
        call.text = host.CheckedText(text, "Parse");
        if (value == nullptr)
        {
            host.Problem(kind + ".Parse without a place for the value");
            return false;
        }
        double parsed = *value;
        call.accepted = inner->Parse(text, &parsed);
        if (call.accepted)
        {
            *value = parsed;
            call.value = parsed;
        }
        const bool accepted = call.accepted;
        host.ParserCalled(std::move(call));
        return accepted;
    }

private:
    CheckingHost& host;
    Plugin::IValueParser* inner;
    std::string kind;
};

// The factory: the four requests in their fixed order, then the release.
class CheckingFactory final : public Plugin::IValueParserFactory
{
public:
    CheckingFactory(CheckingHost& owner, Plugin::IValueParserFactory* wrapped)
        : host(owner), inner(wrapped)
    {
    }

    void AddRef() override
    {
        const HostCode hostCode;
        inner->AddRef();
    }

    bool Release() override
    {
        const HostCode hostCode;
        if (step != 4)
            host.Problem("factory released after " + std::to_string(step) + " of 4 requests");
        step = 5;
        return inner->Release();
    }

    Plugin::IValueParser* GetDistanceParser(int unitCode) override
    {
        const HostCode hostCode;
        Expect(0, "GetDistanceParser", unitCode == 0);
        return Wrap(inner->GetDistanceParser(unitCode), "distance");
    }

    Plugin::IValueParser* GetAngleParser(int unitCode) override
    {
        const HostCode hostCode;
        Expect(1, "GetAngleParser", unitCode == 0 || unitCode == 1);
        return Wrap(inner->GetAngleParser(unitCode), "angle");
    }

    Plugin::IValueParser* GetPressureParser(int unitCode) override
    {
        const HostCode hostCode;
        Expect(2, "GetPressureParser", unitCode == 0 || unitCode == 1);
        return Wrap(inner->GetPressureParser(unitCode), "pressure");
    }

    Plugin::IValueParser* GetTemperatureParser(int unitCode) override
    {
        const HostCode hostCode;
        Expect(3, "GetTemperatureParser", unitCode == 0);
        return Wrap(inner->GetTemperatureParser(unitCode), "temperature");
    }

private:
    void Expect(int wanted, const char* method, bool unitCodeAllowed)
    {
        if (step != wanted)
            host.Problem(std::string("factory.") + method + " as request " +
                         std::to_string(step + 1) + " instead of " + std::to_string(wanted + 1));
        if (!unitCodeAllowed)
            host.Problem(std::string("factory.") + method + " with a unit code out of range");
        step = wanted + 1;
    }

    Plugin::IValueParser* Wrap(Plugin::IValueParser* parser, const char* kind)
    {
        parsers.push_back(std::make_unique<CheckingParser>(host, parser, kind));
        return parsers.back().get();
    }

    CheckingHost& host;
    Plugin::IValueParserFactory* inner;
    std::vector<std::unique_ptr<CheckingParser>> parsers;
    int step = 0;
};

// One of the two extensions; its calls are checked by the host.
class CheckingHost::Extension final : public Plugin::ISinkExtension
{
public:
    Extension(CheckingHost& owner, int extensionKind) : host(owner), kind(extensionKind) {}

    void SetDescription(const WideChar* text) override
    {
        const HostCode hostCode;
        host.ExtensionCall(kind, "SetDescription", text);
    }
    void SetObservationTime(const WideChar* text) override
    {
        const HostCode hostCode;
        host.ExtensionCall(kind, "SetObservationTime", text);
    }
    void AddImageNote(const WideChar* text) override
    {
        const HostCode hostCode;
        host.ExtensionCall(kind, "AddImageNote", text);
    }

private:
    CheckingHost& host;
    int kind;
};

CheckingHost::CheckingHost(CheckingOptions hostOptions)
    : objects(Host::HostOptions{true, true, false}), options(hostOptions),
      pointExtension(std::make_unique<Extension>(*this, Plugin::PointExtension)),
      observationExtension(std::make_unique<Extension>(*this, Plugin::ObservationExtension))
{
    const HostCode hostCode;
    cannotOpenText = FromWide(Plugin::LoadText(Plugin::TextCannotOpenFile));
    formatErrorText = FromWide(Plugin::LoadText(Plugin::TextFileFormatError));
}

CheckingHost::~CheckingHost() = default;

void CheckingHost::Problem(std::string what)
{
    const HostCode hostCode;
    // One report per kind of problem is enough; the first ones tell the story.
    if (problems.size() < 20)
        problems.push_back(std::move(what));
}

std::u16string CheckingHost::CheckedText(const WideChar* text, const char* method)
{
    if (text == nullptr)
    {
        Problem(std::string(method) + " with a null text");
        return {};
    }
    // Reading up to the terminator is the check: the address checker of the sanitizer builds
    // stops a text that does not end inside its allocation.
    const std::size_t length = std::char_traits<WideChar>::length(text);
    return std::u16string(text, text + length);
}

void CheckingHost::ParserCalled(ParseCall call)
{
    if (phase != Phase::Content)
        Problem(call.kind + ".Parse outside the document's content");
    parseCalls.push_back(std::move(call));
}

FileOutcome& CheckingHost::Current()
{
    if (files.empty())
        files.emplace_back();
    return files.back();
}

void CheckingHost::Line(const char* object, const char* method,
                        const std::vector<Host::Value>& arguments)
{
    Host::Call call;
    call.object = object;
    call.method = method;
    call.arguments = arguments;
    lines.push_back(Host::FormatCall(call));
}

bool CheckingHost::ContentCall(const char* method)
{
    if (AllocationFailureRaised())
        Problem(std::string(method) + " after an allocation failure was raised");
    if (phase != Phase::Content)
    {
        Problem(std::string(method) + " outside the document's content");
        return false;
    }
    const bool isFactory = std::string(method) == "GetValueParserFactory";
    if (!isFactory && factoriesThisFile == 0)
        Problem(std::string(method) + " before the value parsers were requested");
    ++contentCalls;
    return true;
}

void CheckingHost::InContext(const char* method, Context wanted, Context alsoAllowed)
{
    if (!ContentCall(method))
        return;
    if (context != wanted && (alsoAllowed == Context::None || context != alsoAllowed))
    {
        static const char* const names[] = {"no", "a point", "a station", "an observation"};
        Problem(std::string(method) + " in the context of " + names[static_cast<int>(context)] +
                " call");
    }
}

Plugin::IValueParserFactory* CheckingHost::GetValueParserFactory()
{
    const HostCode hostCode;
    ContentCall("GetValueParserFactory");
    Line("", "GetValueParserFactory", {});
    if (++factoriesThisFile > 1)
        Problem("GetValueParserFactory more than once in one file");
    factories.push_back(std::make_unique<CheckingFactory>(*this, objects.GetValueParserFactory()));
    return factories.back().get();
}

void CheckingHost::BeginFile(const WideChar* path)
{
    const HostCode hostCode;
    if (AllocationFailureRaised())
        Problem("BeginFile after an allocation failure was raised");
    if (phase != Phase::NoFile && phase != Phase::Done)
        Problem("BeginFile before the previous file was finished");
    FileOutcome file;
    file.path = CheckedText(path, "BeginFile");
    Line("", "BeginFile", {Shown(file.path)});
    files.push_back(std::move(file));
    phase = Phase::Opened;
    context = Context::None;
    factoriesThisFile = 0;
    contentCalls = 0;
}

void CheckingHost::SetFileResult(int result)
{
    const HostCode hostCode;
    Line("", "SetFileResult", {result});
    if (AllocationFailureRaised())
        Problem("SetFileResult after an allocation failure was raised");
    if (result != -1)
        Problem("SetFileResult with " + std::to_string(result));
    const bool allowed = phase == Phase::Opened || (phase == Phase::Content && contentCalls == 0);
    if (!allowed)
        Problem("SetFileResult after the document's content began, or outside a file");
    phase = Phase::FormatError;
}

void CheckingHost::ReportWarning(const WideChar* text)
{
    const HostCode hostCode;
    const std::u16string message = CheckedText(text, "ReportWarning");
    Line("", "ReportWarning", {Shown(message)});
    if (!ContentCall("ReportWarning"))
        return;
    if (!StartsWith(message, u"Файл ") || !EndsWith(message, u" не найден"))
        Problem("ReportWarning with a text that is not a missing-file warning");
}

void CheckingHost::ReportError(const WideChar* text)
{
    const HostCode hostCode;
    const std::u16string message = CheckedText(text, "ReportError");
    Line("", "ReportError", {Shown(message)});
    if (AllocationFailureRaised())
        Problem("ReportError after an allocation failure was raised");
    if (phase == Phase::Opened && message == cannotOpenText)
    {
        Current().cannotOpen = true;
        phase = Phase::Done;
        return;
    }
    if (phase == Phase::FormatError && message == formatErrorText)
    {
        Current().formatError = true;
        phase = Phase::Reported;
        return;
    }
    Problem("ReportError out of order or with an unexpected text");
}

void CheckingHost::SetProgress(float percent)
{
    const HostCode hostCode;
    Line("", "SetProgress", {static_cast<double>(percent)});
    if (AllocationFailureRaised())
        Problem("SetProgress after an allocation failure was raised");
    if (percent == 50.0f && phase == Phase::Opened)
    {
        Current().parsed = true;
        phase = Phase::Content;
        return;
    }
    if (percent == 100.0f && (phase == Phase::Content || phase == Phase::Reported))
    {
        if (phase == Phase::Content && factoriesThisFile != 1)
            Problem("a LandXML document finished without its value parsers");
        Current().finished = true;
        phase = Phase::Done;
        return;
    }
    Problem("SetProgress(" + std::to_string(percent) + ") out of order");
}

Plugin::ISinkExtension* CheckingHost::GetExtension(int kind)
{
    const HostCode hostCode;
    Line("", "GetExtension", {kind});
    ContentCall("GetExtension");
    if (kind == Plugin::PointExtension)
        return options.pointExtension ? pointExtension.get() : nullptr;
    if (kind == Plugin::ObservationExtension)
        return options.observationExtension ? observationExtension.get() : nullptr;
    Problem("GetExtension with the unknown kind " + std::to_string(kind));
    return nullptr;
}

void CheckingHost::ExtensionCall(int kind, const char* method, const WideChar* text)
{
    const std::u16string value = CheckedText(text, method);
    Line("extension", method, {Shown(value)});
    const std::string name = method;
    const bool forPoints = name == "SetDescription";
    const int wanted = forPoints ? Plugin::PointExtension : Plugin::ObservationExtension;
    if (kind != wanted)
        Problem(name + " on the extension of kind " + std::to_string(kind));
    if ((kind == Plugin::PointExtension && !options.pointExtension) ||
        (kind == Plugin::ObservationExtension && !options.observationExtension))
        Problem(name + " on an extension the host did not hand out");
    if (forPoints)
        InContext(method, Context::Point);
    else if (name == "SetObservationTime")
        InContext(method, Context::Observation);
    else
        ContentCall(method); // an image note may follow an activation that sent nothing
}

void CheckingHost::AddPoint(const WideChar* name)
{
    const HostCode hostCode;
    const std::u16string text = CheckedText(name, "AddPoint");
    Line("", "AddPoint", {Shown(text)});
    ContentCall("AddPoint");
    context = Context::Point;
    ++Current().points;
}

void CheckingHost::SetNorthing(double value)
{
    const HostCode hostCode;
    Line("", "SetNorthing", {value});
    InContext("SetNorthing", Context::Point);
}

void CheckingHost::SetEasting(double value)
{
    const HostCode hostCode;
    Line("", "SetEasting", {value});
    InContext("SetEasting", Context::Point);
}

void CheckingHost::SetElevation(double value)
{
    const HostCode hostCode;
    Line("", "SetElevation", {value});
    InContext("SetElevation", Context::Point);
}

void CheckingHost::SetPlanType(int type)
{
    const HostCode hostCode;
    Line("", "SetPlanType", {type});
    InContext("SetPlanType", Context::Point);
    if (type != 0)
        Problem("SetPlanType with " + std::to_string(type));
}

void CheckingHost::SetHeightType(int type)
{
    const HostCode hostCode;
    Line("", "SetHeightType", {type});
    InContext("SetHeightType", Context::Point);
    if (type != 0)
        Problem("SetHeightType with " + std::to_string(type));
}

void CheckingHost::SetPointCode(const WideChar* code)
{
    const HostCode hostCode;
    Line("", "SetPointCode", {Shown(CheckedText(code, "SetPointCode"))});
    InContext("SetPointCode", Context::Point, Context::Observation);
}

void CheckingHost::SetStation(const WideChar* name)
{
    const HostCode hostCode;
    Line("", "SetStation", {Shown(CheckedText(name, "SetStation"))});
    ContentCall("SetStation");
    context = Context::Station;
}

void CheckingHost::SetDate(const WideChar* date)
{
    const HostCode hostCode;
    Line("", "SetDate", {Shown(CheckedText(date, "SetDate"))});
    InContext("SetDate", Context::Point);
}

void CheckingHost::SetInstrumentHeight(double value)
{
    const HostCode hostCode;
    Line("", "SetInstrumentHeight", {value});
    InContext("SetInstrumentHeight", Context::Station);
}

void CheckingHost::SetTargetPoint(const WideChar* name)
{
    const HostCode hostCode;
    Line("", "SetTargetPoint", {Shown(CheckedText(name, "SetTargetPoint"))});
    ContentCall("SetTargetPoint");
    context = Context::Observation;
}

void CheckingHost::SetPressure(double value)
{
    const HostCode hostCode;
    Line("", "SetPressure", {value});
    InContext("SetPressure", Context::Station);
}

void CheckingHost::SetDryTemperature(double value)
{
    const HostCode hostCode;
    Line("", "SetDryTemperature", {value});
    InContext("SetDryTemperature", Context::Station);
}

void CheckingHost::SetZenithAngle(double value)
{
    const HostCode hostCode;
    Line("", "SetZenithAngle", {value});
    InContext("SetZenithAngle", Context::Observation);
}

void CheckingHost::SetHorizontalAngle(double value)
{
    const HostCode hostCode;
    Line("", "SetHorizontalAngle", {value});
    InContext("SetHorizontalAngle", Context::Observation);
}

void CheckingHost::SetTargetHeight(double value)
{
    const HostCode hostCode;
    Line("", "SetTargetHeight", {value});
    InContext("SetTargetHeight", Context::Observation);
}

void CheckingHost::SetSlopeDistance(double value)
{
    const HostCode hostCode;
    Line("", "SetSlopeDistance", {value});
    InContext("SetSlopeDistance", Context::Observation);
}

void CheckingHost::SetFace(int face)
{
    const HostCode hostCode;
    Line("", "SetFace", {face});
    InContext("SetFace", Context::Observation);
    if (face != 0 && face != 1)
        Problem("SetFace with " + std::to_string(face));
}

void CheckingHost::FinishImport(bool errorLeft)
{
    const HostCode hostCode;
    if (objects.LiveObjects() != 0)
        Problem(std::to_string(objects.LiveObjects()) + " host objects left with references");
    for (const std::string& misuse : objects.Misuse())
        Problem("host object misuse: " + misuse);
    if (!errorLeft && phase != Phase::NoFile && phase != Phase::Done)
        Problem("the import ended inside a file");
}

} // namespace Fuzzing
