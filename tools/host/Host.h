#pragma once

// The host: one implementation of every object the plug-in calls (the import sink with its two
// extensions, the value parser factory and its parsers, the path list, the settings store),
// written against the public tables only. It answers each call the way the host application
// would and tells an observer about it; what differs between the tools that drive the plug-in
// (recording a trace, checking the calling rules while fuzzing, counting for the benchmark) is
// in their observers.

#include "plugin/HostInterfaces.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Host
{

using Plugin::WideChar;
using Plugin::WideString;

// The host's objects, as an observer tells them apart.
enum class Object : std::uint8_t
{
    Sink,
    Extension,
    Factory,
    DistanceParser,
    AngleParser,
    PressureParser,
    TemperatureParser,
    Paths,
    Settings,
};

// The operations of the host's objects.
enum class Method : std::uint8_t
{
    // the sink
    GetValueParserFactory,
    BeginFile,
    SetFileResult,
    ReportWarning,
    ReportError,
    SetProgress,
    GetExtension,
    AddPoint,
    SetNorthing,
    SetEasting,
    SetElevation,
    SetPlanType,
    SetHeightType,
    SetPointCode,
    SetStation,
    SetDate,
    SetInstrumentHeight,
    SetTargetPoint,
    SetPressure,
    SetDryTemperature,
    SetZenithAngle,
    SetHorizontalAngle,
    SetTargetHeight,
    SetSlopeDistance,
    SetFace,
    // the extensions
    SetDescription,
    SetObservationTime,
    AddImageNote,
    // the factory and the parsers
    AddRef,
    Release,
    GetAngleParser,
    GetDistanceParser,
    GetPressureParser,
    GetTemperatureParser,
    Parse,
    // the path list
    HasCurrent,
    MoveNext,
    GetCurrent,
    Reset,
    // the settings store
    ReadInt,
    WriteInt,
};
constexpr std::size_t kMethodCount = static_cast<std::size_t>(Method::WriteInt) + 1;

// The names a trace gives them: "" for the sink, "extension", "factory", "distance", ...;
// "GetValueParserFactory", "BeginFile", ...
const char* NameOf(Object object);
const char* NameOf(Method method);

// One call on a host object, once the host has answered it. Texts are the plug-in's own, valid
// during the call only.
struct Event
{
    Object object;
    Method method;
    const WideChar* text = nullptr; // the text argument or setting key; GetCurrent's answer
    double number = 0.0;            // the number argument (SetProgress's too); Parse's value
    int integer = 0;                // the int argument; for extension calls, the extension's kind
    int result = 0; // Parse, GetExtension, HasCurrent, WriteInt: 1 or 0; ReadInt: the value
};

class Observer
{
public:
    virtual void Observe(const Event& event) = 0;
    // The host's own work in a call that does more than answer it (handing out an object,
    // parsing a number) runs between these two, before the call is observed: a fuzzing observer
    // keeps the host's allocations apart from the plug-in's.
    virtual void HostWorkBegins() {}
    virtual void HostWorkEnds() {}

protected:
    ~Observer() = default;
};

struct HostOptions
{
    bool pointExtension = true;       // GetExtension(1) hands out the point extension, else null
    bool observationExtension = true; // GetExtension(2) the observation extension
    bool anyTextIsOne = false;        // the parsers accept every text as 1.0, at no cost
};

// Parses a number the way the host's parsers do; false when the text is not one. Decimals in the
// C locale fill the whole text. Angles in unit 1 are d.mm.ss texts (123.45.30.12, 10.00.00.) or
// plain decimals, in unit 0 radians; both yield decimal degrees.
bool ParseDecimal(std::u16string_view text, double& value);
bool ParseAngle(std::u16string_view text, int unitCode, double& value);

class Sink;

class ValueParser final : public Plugin::IValueParser
{
public:
    ValueParser(Sink& host, Object kind, int unitCode);

    void AddRef() override;
    bool Release() override;
    bool Parse(const WideChar* text, double* value) override;

private:
    Sink& host;
    Object kind;
    int unitCode;
    int references = 1;
};

class ParserFactory final : public Plugin::IValueParserFactory
{
public:
    explicit ParserFactory(Sink& owner) : host(owner) {}

    void AddRef() override;
    bool Release() override;
    Plugin::IValueParser* GetAngleParser(int unitCode) override;
    Plugin::IValueParser* GetDistanceParser(int unitCode) override;
    Plugin::IValueParser* GetPressureParser(int unitCode) override;
    Plugin::IValueParser* GetTemperatureParser(int unitCode) override;

private:
    Plugin::IValueParser* Make(Method method, Object kind, int unitCode);
    Sink& host;
    int references = 1;
};

// One of the sink's two extensions; its calls reach the sink's observer with its kind.
class Extension final : public Plugin::ISinkExtension
{
public:
    Extension(Sink& owner, int extensionKind) : host(owner), kind(extensionKind) {}

    void SetDescription(const WideChar* text) override;
    void SetObservationTime(const WideChar* text) override;
    void AddImageNote(const WideChar* text) override;

private:
    Sink& host;
    int kind;
};

class Sink final : public Plugin::IImportSink
{
public:
    explicit Sink(Observer& observer, HostOptions options = {});
    ~Sink();
    Sink(const Sink&) = delete;
    Sink& operator=(const Sink&) = delete;

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

    // Host objects handed out and not yet released to zero; 0 after a clean import. The host
    // keeps every object until it is destroyed itself, so that a release too many is caught as
    // misuse instead of touching freed memory.
    int LiveObjects() const { return liveObjects; }
    // Releases of objects already at zero, and other misuse of the host's objects.
    const std::vector<std::string>& Misuse() const { return misuse; }

private:
    friend class ValueParser;
    friend class ParserFactory;
    friend class Extension;

    Plugin::IValueParser* AddParser(Object kind, int unitCode);
    void ObjectDestroyed() { --liveObjects; }
    void ReportMisuse(std::string what) { misuse.push_back(std::move(what)); }
    void Tell(const Event& event) { observer.Observe(event); }
    void Tell(Method method, const WideChar* text) { Tell({Object::Sink, method, text}); }
    void Tell(Method method, double number) { Tell({Object::Sink, method, nullptr, number}); }
    void Tell(Method method, int integer) { Tell({Object::Sink, method, nullptr, 0.0, integer}); }

    Observer& observer;
    HostOptions options;
    Extension pointExtension;
    Extension observationExtension;
    std::vector<std::unique_ptr<ParserFactory>> factories;
    std::vector<std::unique_ptr<ValueParser>> parsers;
    std::vector<std::string> misuse;
    int liveObjects = 0;
};

// The host's list of paths for an import; its calls are observed when an observer is given.
class PathList final : public Plugin::IPathEnumerator
{
public:
    explicit PathList(std::vector<WideString> hostPaths, Observer* watcher = nullptr)
        : paths(std::move(hostPaths)), observer(watcher)
    {
    }

    bool HasCurrent() override;
    void MoveNext() override;
    const WideChar* GetCurrent() override;
    void Reset() override;

private:
    void Tell(const Event& event);
    std::vector<WideString> paths;
    std::size_t position = 0;
    Observer* observer;
};

// The host's settings store: one integer per key, or none; its calls are observed when an
// observer is given.
class SettingsStore final : public Plugin::ISettingsReader, public Plugin::ISettingsWriter
{
public:
    explicit SettingsStore(Observer* watcher = nullptr) : observer(watcher) {}

    int ReadInt(const WideChar* key, int defaultValue) override;
    bool WriteInt(const WideChar* key, int value) override;

    bool hasValue = false;
    int value = 0;

private:
    Observer* observer;
};

} // namespace Host
