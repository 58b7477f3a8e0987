#pragma once

// A host written against the plug-in's public tables only: it implements every interface the
// plug-in calls and records each call, with its arguments and result, in call order. The
// reference host prints these records; the tests compare them with golden traces.

#include "plugin/HostInterfaces.h"

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace Host
{

using Plugin::WideChar;
using Plugin::WideString;

// One argument or result of a host call.
struct Text
{
    std::u16string value;
};
struct Null
{
};
using Value = std::variant<Text, double, int, bool, Null>;

struct Call
{
    std::string object; // "" for the sink, else "extension", "factory", "distance", ...
    std::string method;
    std::vector<Value> arguments;
    bool hasResult = false;
    Value result = Null{};
};

// One call as a trace line: object.Method("text", 1.5) -> result. Texts are UTF-8 in double
// quotes with JSON escapes; numbers in their shortest round-trip form.
std::string FormatCall(const Call& call);
// The same call as one JSON object: {"object":…,"call":…,"args":[…],"result":…}.
std::string FormatCallJson(const Call& call);
std::string ToUtf8(const std::u16string& text);
std::u16string FromWide(const WideChar* text);
WideString ToWideString(const std::u16string& text);
std::u16string FromUtf8(const std::string& text);

struct HostOptions
{
    bool pointExtension = true;       // GetExtension(1) returns the extension, else null
    bool observationExtension = true; // GetExtension(2)
    bool recordParserCalls = true;    // Parse calls appear in the record
};

class RecordingHost;

// The host's value parser of one kind. Distances, pressures and temperatures accept a decimal
// number in the C locale that fills the whole text. Angles: unit 1 accepts d.mm.ss texts
// (123.45.30.12, 10.00.00.) and plain decimals and yields decimal degrees; unit 0 reads radians
// and yields decimal degrees too.
class ValueParser final : public Plugin::IValueParser
{
public:
    ValueParser(RecordingHost& host, std::string kind, int unitCode);

    void AddRef() override;
    bool Release() override;
    bool Parse(const WideChar* text, double* value) override;

    int References() const { return references; }

private:
    RecordingHost& host;
    std::string kind;
    int unitCode;
    int references = 1;
};

class ParserFactory final : public Plugin::IValueParserFactory
{
public:
    explicit ParserFactory(RecordingHost& owner) : host(owner) {}

    void AddRef() override;
    bool Release() override;
    Plugin::IValueParser* GetAngleParser(int unitCode) override;
    Plugin::IValueParser* GetDistanceParser(int unitCode) override;
    Plugin::IValueParser* GetPressureParser(int unitCode) override;
    Plugin::IValueParser* GetTemperatureParser(int unitCode) override;

    int References() const { return references; }

private:
    Plugin::IValueParser* Make(const char* method, const char* kind, int unitCode);
    RecordingHost& host;
    int references = 1;
};

// Parses a number the way the host's parsers do; false when the text is not one.
bool ParseDecimal(const std::u16string& text, double& value);
bool ParseAngle(const std::u16string& text, int unitCode, double& value);

class RecordingHost final : public Plugin::IImportSink, public Plugin::ISinkExtension
{
public:
    explicit RecordingHost(HostOptions options = {});
    ~RecordingHost();
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    // IImportSink
    Plugin::IValueParserFactory* GetValueParserFactory() override;
    void BeginFile(const WideChar* path) override;
    void SetFileResult(int result) override;
    void ReportWarning(const WideChar* text) override;
    void ReportError(const WideChar* text) override;
    void SetProgress(float percent) override;
    Plugin::ISinkExtension* GetExtension(int kind) override;
    void AddPoint(const WideChar* name) override;
    void SetNorthing(double value) override;
    void SetEasting(double value) override;
    void SetElevation(double value) override;
    void SetPlanType(int type) override;
    void SetHeightType(int type) override;
    void SetPointCode(const WideChar* code) override;
    void SetStation(const WideChar* name) override;
    void SetDate(const WideChar* date) override;
    void SetInstrumentHeight(double value) override;
    void SetTargetPoint(const WideChar* name) override;
    void SetPressure(double value) override;
    void SetDryTemperature(double value) override;
    void SetZenithAngle(double value) override;
    void SetHorizontalAngle(double value) override;
    void SetTargetHeight(double value) override;
    void SetSlopeDistance(double value) override;
    void SetFace(int face) override;

    // ISinkExtension
    void SetDescription(const WideChar* text) override;
    void SetObservationTime(const WideChar* text) override;
    void AddImageNote(const WideChar* text) override;

    const std::vector<Call>& Calls() const { return calls; }
    void Clear() { calls.clear(); }
    // The record as trace lines, one per call.
    std::vector<std::string> Lines() const;

    // Host objects handed out and not yet released to zero; 0 after a clean import. The host
    // keeps every object until it is destroyed itself, so a release too many is caught as
    // misuse instead of touching freed memory.
    int LiveObjects() const { return liveObjects; }
    int ObjectsHandedOut() const { return static_cast<int>(factories.size() + parsers.size()); }
    // Release calls on objects already at zero, or other misuse of the host's objects.
    const std::vector<std::string>& Misuse() const { return misuse; }

    const HostOptions& Options() const { return options; }

    // Used by the host's own objects.
    void Record(Call call);
    void ObjectCreated() { ++liveObjects; }
    void ObjectDestroyed() { --liveObjects; }
    void ReportMisuse(std::string what) { misuse.push_back(std::move(what)); }

private:
    void RecordSink(const char* method, Value argument);

    friend class ParserFactory;
    HostOptions options;
    std::vector<std::unique_ptr<ParserFactory>> factories;
    std::vector<std::unique_ptr<ValueParser>> parsers;
    std::vector<Call> calls;
    std::vector<std::string> misuse;
    int liveObjects = 0;
};

// The host's list of paths for an import.
class PathList final : public Plugin::IPathEnumerator
{
public:
    explicit PathList(std::vector<WideString> hostPaths) : paths(std::move(hostPaths)) {}

    bool HasCurrent() override;
    void MoveNext() override;
    const WideChar* GetCurrent() override;
    void Reset() override;

    // The enumerator's calls, in order ("Reset", "HasCurrent", ...).
    const std::vector<std::string>& Calls() const { return calls; }

private:
    std::vector<WideString> paths;
    std::size_t position = 0;
    std::vector<std::string> calls;
};

// The host's settings store: one integer per key, or none.
class SettingsStore final : public Plugin::ISettingsReader, public Plugin::ISettingsWriter
{
public:
    int ReadInt(const WideChar* key, int defaultValue) override;
    bool WriteInt(const WideChar* key, int value) override;

    bool hasValue = false;
    int value = 0;
    std::vector<std::string> calls; // ReadInt("key", default), WriteInt("key", value)
};

} // namespace Host
