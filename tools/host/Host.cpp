#include "tools/host/Host.h"

#include "tools/host/HostLibrary.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace Host
{
namespace
{

// The host's own work inside one call, made known to the observer.
class HostWork
{
public:
    explicit HostWork(Observer& watcher) : observer(watcher) { observer.HostWorkBegins(); }
    ~HostWork() { observer.HostWorkEnds(); }
    HostWork(const HostWork&) = delete;
    HostWork& operator=(const HostWork&) = delete;

private:
    Observer& observer;
};

bool IsDigit(char16_t c)
{
    return c >= '0' && c <= '9';
}

// Digits only, at least one.
bool AllDigits(std::u16string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// The number written by prefix and then text, whose code units are ASCII; a leading "+" is
// allowed. On the stack unless the text is long, so that parsing costs no allocation.
bool FromChars(std::string_view prefix, std::u16string_view text, double& value)
{
    char small[128];
    std::string large;
    const std::size_t size = prefix.size() + text.size();
    char* narrow = small;
    if (size > sizeof small)
    {
        large.resize(size);
        narrow = &large[0];
    }
    std::copy(prefix.begin(), prefix.end(), narrow);
    for (std::size_t i = 0; i < text.size(); ++i)
        narrow[prefix.size() + i] = static_cast<char>(text[i]);
    const char* begin = narrow;
    const char* end = narrow + size;
    if (begin != end && *begin == '+')
        ++begin;
    if (begin == end)
        return false;
    double parsed = 0.0;
    const auto result = std::from_chars(begin, end, parsed, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

std::u16string_view ViewOf(const WideChar* text)
{
    std::size_t length = 0;
    if (text != nullptr)
        while (text[length] != 0)
            ++length;
    // WideChar is char16_t, or a 16-bit wchar_t on Windows: the same code units.
    static_assert(sizeof(WideChar) == sizeof(char16_t), "UTF-16 code units");
    return {reinterpret_cast<const char16_t*>(text), length};
}

// How misuse reports name an object: "distance parser", "factory".
std::string Described(Object kind)
{
    return kind == Object::Factory ? std::string("factory") : std::string(NameOf(kind)) + " parser";
}

} // namespace

const char* NameOf(Object object)
{
    static const char* const names[] = {"",         "extension",   "factory", "distance", "angle",
                                        "pressure", "temperature", "paths",   "settings", "view"};
    static_assert(std::size(names) == static_cast<std::size_t>(Object::View) + 1);
    return names[static_cast<std::size_t>(object)];
}

bool ParseDecimal(std::u16string_view text, double& value)
{
    for (const char16_t c : text)
        if (!IsDigit(c) && c != '.' && c != '-' && c != '+' && c != 'e' && c != 'E')
            return false;
    return FromChars({}, text, value);
}

bool ParseAngle(std::u16string_view text, int unitCode, double& value)
{
    constexpr double kDegreesPerRadian = 57.295779513082320876798154814105;
    if (unitCode == 0)
    {
        double radians = 0.0;
        if (!ParseDecimal(text, radians))
            return false;
        value = radians * kDegreesPerRadian;
        return true;
    }
    // d.mm.ss. or d.mm.ss.fraction: degrees, two minute digits, two second digits.
    std::u16string_view parts[4];
    std::size_t count = 0;
    for (std::size_t start = 0;; ++count)
    {
        const std::size_t dot = text.find(u'.', start);
        if (count < 4)
            parts[count] = text.substr(start, dot == text.npos ? text.npos : dot - start);
        if (dot == text.npos)
            break;
        start = dot + 1;
    }
    ++count;
    if (count <= 2)
        return ParseDecimal(text, value);
    if (count != 4 || parts[1].size() != 2 || parts[2].size() != 2 || !AllDigits(parts[1]) ||
        !AllDigits(parts[2]) || !(parts[3].empty() || AllDigits(parts[3])))
        return false;
    std::u16string_view degreesText = parts[0];
    const bool negative = !degreesText.empty() && degreesText[0] == u'-';
    if (negative)
        degreesText.remove_prefix(1);
    double degrees = 0.0;
    if (!ParseDecimal(degreesText, degrees) || degreesText.find_first_of(u"+-eE") != text.npos)
        return false;
    const double minutes = (parts[1][0] - u'0') * 10 + (parts[1][1] - u'0');
    double seconds = (parts[2][0] - u'0') * 10 + (parts[2][1] - u'0');
    if (!parts[3].empty())
    {
        double fraction = 0.0;
        FromChars("0.", parts[3], fraction);
        seconds += fraction;
    }
    if (minutes >= 60 || seconds >= 60)
        return false;
    const double result = degrees + minutes / 60.0 + seconds / 3600.0;
    value = negative ? -result : result;
    return true;
}

template <typename Interface> void Counted<Interface>::AddRef()
{
    ++references;
    host.Tell({kind, Method::AddRef});
}

template <typename Interface> bool Counted<Interface>::Release()
{
    bool destroyed = false;
    {
        const HostWork work(host.observer);
        if (references <= 0)
            host.ReportMisuse(Described(kind) + " released after its last reference");
        else if (--references == 0)
        {
            host.ObjectDestroyed();
            destroyed = true;
        }
    }
    host.Tell({kind, Method::Release});
    return destroyed;
}

template <typename Interface> void Counted<Interface>::CheckAlive(const char* what)
{
    if (references <= 0)
        host.ReportMisuse(Described(kind) + " " + what + " after its last reference");
}

template class Counted<Plugin::IValueParser>;
template class Counted<Plugin::IValueParserFactory>;

ValueParser::ValueParser(Sink& owner, Object parserKind, int unit)
    : Counted(owner, parserKind), unitCode(unit)
{
}

bool ValueParser::Parse(const WideChar* text, double* value)
{
    double parsed = 0.0;
    bool accepted = false;
    {
        const HostWork work(host.observer);
        CheckAlive("used");
        if (value == nullptr)
            host.ReportMisuse(Described(kind) + ".Parse without a place for the value");
        else if (host.options.anyTextIsOne)
        {
            accepted = true;
            parsed = 1.0;
        }
        else if (kind == Object::AngleParser)
            accepted = ParseAngle(ViewOf(text), unitCode, parsed);
        else
            accepted = ParseDecimal(ViewOf(text), parsed);
        if (accepted)
            *value = parsed;
    }
    host.Tell({kind, Method::Parse, text, parsed, 0, accepted});
    return accepted;
}

Plugin::IValueParser* ParserFactory::Make(Method method, Object parserKind, int unitCode)
{
    Plugin::IValueParser* parser = nullptr;
    {
        const HostWork work(host.observer);
        CheckAlive("used");
        parser = host.AddParser(parserKind, unitCode);
    }
    host.Tell({Object::Factory, method, nullptr, 0.0, unitCode});
    return parser;
}

Plugin::IValueParser* ParserFactory::GetAngleParser(int unitCode)
{
    return Make(Method::GetAngleParser, Object::AngleParser, unitCode);
}

Plugin::IValueParser* ParserFactory::GetDistanceParser(int unitCode)
{
    return Make(Method::GetDistanceParser, Object::DistanceParser, unitCode);
}

Plugin::IValueParser* ParserFactory::GetPressureParser(int unitCode)
{
    return Make(Method::GetPressureParser, Object::PressureParser, unitCode);
}

Plugin::IValueParser* ParserFactory::GetTemperatureParser(int unitCode)
{
    return Make(Method::GetTemperatureParser, Object::TemperatureParser, unitCode);
}

void Extension::SetDescription(const WideChar* text)
{
    host.Tell({Object::Extension, Method::SetDescription, text, 0.0, kind});
}

void Extension::SetObservationTime(const WideChar* text)
{
    host.Tell({Object::Extension, Method::SetObservationTime, text, 0.0, kind});
}

void Extension::AddImageNote(const WideChar* text)
{
    host.Tell({Object::Extension, Method::AddImageNote, text, 0.0, kind});
}

Sink::Sink(Observer& watcher, HostOptions hostOptions)
    : observer(watcher), options(hostOptions), pointExtension(*this, Plugin::PointExtension),
      observationExtension(*this, Plugin::ObservationExtension)
{
}

Sink::~Sink() = default;

Plugin::IValueParser* Sink::AddParser(Object kind, int unitCode)
{
    parsers.push_back(std::make_unique<ValueParser>(*this, kind, unitCode));
    ++liveObjects;
    return parsers.back().get();
}

Plugin::IValueParserFactory* Sink::GetValueParserFactory()
{
    {
        const HostWork work(observer);
        factories.push_back(std::make_unique<ParserFactory>(*this));
        ++liveObjects;
    }
    Tell({Object::Sink, Method::GetValueParserFactory});
    return factories.back().get();
}

void Sink::SetProgress(float percent)
{
    Tell(Method::SetProgress, static_cast<double>(percent));
}

Plugin::ISinkExtension* Sink::GetExtension(int kind)
{
    Extension* extension = nullptr;
    if (kind == Plugin::PointExtension && options.pointExtension)
        extension = &pointExtension;
    else if (kind == Plugin::ObservationExtension && options.observationExtension)
        extension = &observationExtension;
    Tell({Object::Sink, Method::GetExtension, nullptr, 0.0, kind, extension != nullptr});
    return extension;
}

void PathList::Tell(const Event& event)
{
    if (observer != nullptr)
        observer->Observe(event);
}

bool PathList::HasCurrent()
{
    const bool current = position < paths.size();
    Tell({Object::Paths, Method::HasCurrent, nullptr, 0.0, 0, current});
    return current;
}

void PathList::MoveNext()
{
    if (position < paths.size())
        ++position;
    Tell({Object::Paths, Method::MoveNext});
}

const WideChar* PathList::GetCurrent()
{
    const WideChar* current = position < paths.size() ? paths[position].c_str() : nullptr;
    Tell({Object::Paths, Method::GetCurrent, current});
    return current;
}

void PathList::Reset()
{
    position = 0;
    Tell({Object::Paths, Method::Reset});
}

int SettingsStore::ReadInt(const WideChar* key, int defaultValue)
{
    const int answer = hasValue ? value : defaultValue;
    if (observer != nullptr)
        observer->Observe({Object::Settings, Method::ReadInt, key, 0.0, defaultValue, answer});
    return answer;
}

bool SettingsStore::WriteInt(const WideChar* key, int newValue)
{
    if (writeResult)
    {
        hasValue = true;
        value = newValue;
    }
    if (observer != nullptr)
        observer->Observe({Object::Settings, Method::WriteInt, key, 0.0, newValue, writeResult});
    return writeResult;
}

void PropertyListView::Tell(const Event& event)
{
    if (observer != nullptr)
        observer->Observe(event);
}

void PropertyListView::AddCategory(const WideChar* caption)
{
    Tell({Object::View, Method::AddCategory, caption});
}

bool PropertyListView::AddComboProperty(int id, bool flag, const WideChar* label,
                                        Plugin::IEnumerator<Plugin::IComboItem*>* list,
                                        int selectedId)
{
    if (observer != nullptr)
    {
        const HostWork work(*observer);
        ReadItems(*list);
    }
    else
    {
        ReadItems(*list);
    }
    Tell({Object::View, Method::AddComboProperty, label, 0.0, id, true, selectedId, flag});
    return true;
}

void PropertyListView::ReadItems(Plugin::IEnumerator<Plugin::IComboItem*>& list)
{
    items.clear();
    for (; list.HasCurrent(); list.MoveNext())
    {
        Plugin::IComboItem* item = list.GetCurrent();
        item->AddRef();
        Plugin::BSTR text = item->GetText();
        items.push_back({item->GetId(), std::u16string(ViewOf(text))});
        FreeBstr(text);
        if (keepItems)
            kept.push_back(item);
        else if (item->Release())
            misuse.push_back("combo item " + std::to_string(items.back().id) +
                             " ended with the view's release: its list held no reference");
    }
    list.MoveNext();
    if (list.HasCurrent() || list.GetCurrent() != nullptr)
        misuse.push_back("the combo items do not stay at their end");
    list.Reset();
    if (!items.empty() && (!list.HasCurrent() || list.GetCurrent() == nullptr ||
                           list.GetCurrent()->GetId() != items.front().id))
        misuse.push_back("the combo items do not start again after Reset");
}

void PropertyListView::GetComboValue(int id, int* value)
{
    const int given = *value;
    *value = chosen;
    Tell({Object::View, Method::GetComboValue, nullptr, 0.0, id, chosen, given});
}

} // namespace Host
