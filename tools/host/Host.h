#pragma once

// The host: one implementation of every object the plug-in calls (the import sink with its two
// extensions, the value parser factory and its parsers, the path list, the settings store, the
// property list), written against the public tables only. It answers each call the way the host
// application would and tells an observer about it; what differs between the tools that drive
// the plug-in (recording a trace, checking the calling rules, counting for the benchmark, making
// a call fail) is in their observers.

#include "plugin/HostInterfaces.h"
#include "tools/host/Methods.h"

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
    View,
};

// The names a trace gives them: "" for the sink, "extension", "factory", "distance", ...
const char* NameOf(Object object);

// One call on a host object, once the host has answered it. Texts are the plug-in's own, valid
// during the call only. Which fields a method fills is its Argument and Answer in Methods.h.
struct Event
{
    Object object;
    Method method;
    const WideChar* text = nullptr; // the text argument or setting key; GetCurrent's answer
    double number = 0.0;            // the number argument (SetProgress's too); Parse's value
    int integer = 0;                // the int argument; for extension calls, the extension's kind
    int result = 0;    // a yes-or-no answer as 1 or 0; ReadInt's and GetComboValue's value
    int second = 0;    // AddComboProperty's selected id; GetComboValue's value as it came in
    bool flag = false; // AddComboProperty's flag
};

class Observer
{
public:
    virtual void Observe(const Event& event) = 0;
    // The host's own work in a call that does more than answer it (handing out an object,
    // parsing a number, reading combo items) runs between these two, before the call is
    // observed: a fuzzing observer keeps the host's allocations apart from the plug-in's.
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

// The reference count of a host object the plug-in holds, made with one reference for it. A
// release too many is noted as misuse instead of destroying anything; the last release takes the
// object off the host's live objects (the host keeps its memory until the host itself goes).
template <typename Interface> class Counted : public Interface
{
public:
    void AddRef() final;
    bool Release() final;

protected:
    Counted(Sink& owner, Object objectKind) : host(owner), kind(objectKind) {}
    ~Counted() = default;
    // Notes misuse when the object is used (for what) after its last reference.
    void CheckAlive(const char* what);

    Sink& host;
    const Object kind;

private:
    int references = 1;
};

class ValueParser final : public Counted<Plugin::IValueParser>
{
public:
    ValueParser(Sink& host, Object kind, int unitCode);

    bool Parse(const WideChar* text, double* value) override;

private:
    int unitCode;
};

class ParserFactory final : public Counted<Plugin::IValueParserFactory>
{
public:
    explicit ParserFactory(Sink& owner) : Counted(owner, Object::Factory) {}

    Plugin::IValueParser* GetAngleParser(int unitCode) override;
    Plugin::IValueParser* GetDistanceParser(int unitCode) override;
    Plugin::IValueParser* GetPressureParser(int unitCode) override;
    Plugin::IValueParser* GetTemperatureParser(int unitCode) override;

private:
    Plugin::IValueParser* Make(Method method, Object parserKind, int unitCode);
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

// The C++ type of a TOLD method's one argument, by its Argument in Methods.h.
using ParameterOfText = const WideChar*;
using ParameterOfNumber = double;
using ParameterOfInteger = int;

class Sink final : public Plugin::IImportSink
{
public:
    explicit Sink(Observer& observer, HostOptions options = {});
    ~Sink();
    Sink(const Sink&) = delete;
    Sink& operator=(const Sink&) = delete;

    Plugin::IValueParserFactory* GetValueParserFactory() override;
    void SetProgress(float percent) override;
    Plugin::ISinkExtension* GetExtension(int kind) override;
    // Every other call only tells the observer.
#define LANDXML_SINK_OWN(name, Interface, slot, argument, answer)
#define LANDXML_SINK_TOLD(name, Interface, slot, argument, answer)                                 \
    void name(ParameterOf##argument value) override                                                \
    {                                                                                              \
        Tell(Method::name, value);                                                                 \
    }
    LANDXML_HOST_METHODS(LANDXML_SINK_OWN, LANDXML_SINK_TOLD)
#undef LANDXML_SINK_OWN
#undef LANDXML_SINK_TOLD

    // Host objects handed out and not yet released to zero; 0 after a clean import. The host
    // keeps every object until it is destroyed itself, so that a release too many is caught as
    // misuse instead of touching freed memory.
    int LiveObjects() const
    {
        return liveObjects;
    }
    // Releases of objects already at zero, and other misuse of the host's objects.
    const std::vector<std::string>& Misuse() const
    {
        return misuse;
    }

private:
    template <typename Interface> friend class Counted;
    friend class ValueParser;
    friend class ParserFactory;
    friend class Extension;

    Plugin::IValueParser* AddParser(Object kind, int unitCode);
    void ObjectDestroyed()
    {
        --liveObjects;
    }
    void ReportMisuse(std::string what)
    {
        misuse.push_back(std::move(what));
    }
    void Tell(const Event& event)
    {
        observer.Observe(event);
    }
    void Tell(Method method, const WideChar* text)
    {
        Tell({Object::Sink, method, text});
    }
    void Tell(Method method, double number)
    {
        Tell({Object::Sink, method, nullptr, number});
    }
    void Tell(Method method, int integer)
    {
        Tell({Object::Sink, method, nullptr, 0.0, integer});
    }

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
// observer is given. A write stores the value and answers writeResult; a store that refuses
// (writeResult false) keeps what it held.
class SettingsStore final : public Plugin::ISettingsReader, public Plugin::ISettingsWriter
{
public:
    explicit SettingsStore(Observer* watcher = nullptr) : observer(watcher) {}

    int ReadInt(const WideChar* key, int defaultValue) override;
    bool WriteInt(const WideChar* key, int value) override;

    bool hasValue = false;
    int value = 0;
    bool writeResult = true;

private:
    Observer* observer;
};

// The host's property list. It shows what the plug-in adds, answers GetComboValue with chosen,
// and reads a combo's items as the host fills its box: each item's id and text, holding a
// reference while it reads the item (or keeping it, with keepItems); then once past the end and
// once more after a Reset. An item that its list did not hold, a list that does not stay at its
// end or does not start again is misuse. Its calls are observed when an observer is given;
// reading the items is the host's own work.
class PropertyListView final : public Plugin::IPropertyListView
{
public:
    explicit PropertyListView(Observer* watcher = nullptr) : observer(watcher) {}

    void AddCategory(const WideChar* caption) override;
    bool AddComboProperty(int id, bool flag, const WideChar* label,
                          Plugin::IEnumerator<Plugin::IComboItem*>* items, int selectedId) override;
    void GetComboValue(int id, int* value) override;

    struct Item
    {
        int id;
        std::u16string text;
    };
    // The items of the last combo property, in the list's order.
    const std::vector<Item>& Items() const { return items; }
    const std::vector<std::string>& Misuse() const { return misuse; }

    int chosen = 1;
    bool keepItems = false;
    // The items kept with a reference of the view's (keepItems); whoever holds the view releases
    // them.
    std::vector<Plugin::IComboItem*> kept;

private:
    void ReadItems(Plugin::IEnumerator<Plugin::IComboItem*>& list);
    void Tell(const Event& event);
    Observer* observer;
    std::vector<Item> items;
    std::vector<std::string> misuse;
};

} // namespace Host
