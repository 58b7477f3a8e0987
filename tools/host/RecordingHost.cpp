#include "tools/host/RecordingHost.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace Host
{
namespace
{

void AppendNumber(std::string& out, double value)
{
    if (std::isnan(value))
    {
        out += "nan";
        return;
    }
    char digits[64];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80)
    {
        out += static_cast<char>(c);
    }
    else if (c < 0x800)
    {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// A text in double quotes with JSON escapes; lone surrogates are shown as \uXXXX.
void AppendQuoted(std::string& out, const std::u16string& text)
{
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
        {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) +
                                (static_cast<char32_t>(text[i + 1]) - 0xDC00));
            ++i;
            continue;
        }
        char escape[8];
        switch (c)
        {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF))
            {
                std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
                out += escape;
            }
            else
            {
                AppendUtf8(out, c);
            }
        }
    }
    out += '"';
}

void AppendValue(std::string& out, const Value& value)
{
    if (const auto* text = std::get_if<Text>(&value))
        AppendQuoted(out, text->value);
    else if (const auto* number = std::get_if<double>(&value))
        AppendNumber(out, *number);
    else if (const auto* integer = std::get_if<int>(&value))
        out += std::to_string(*integer);
    else if (const auto* flag = std::get_if<bool>(&value))
        out += *flag ? "true" : "false";
    else
        out += "null";
}

Call MakeCall(std::string object, std::string method, std::vector<Value> arguments = {})
{
    Call call;
    call.object = std::move(object);
    call.method = std::move(method);
    call.arguments = std::move(arguments);
    return call;
}

bool IsDigit(char16_t c)
{
    return c >= '0' && c <= '9';
}

// Digits only, at least one.
bool AllDigits(const std::u16string& text)
{
    if (text.empty())
        return false;
    for (const char16_t c : text)
        if (!IsDigit(c))
            return false;
    return true;
}

} // namespace

std::string ToUtf8(const std::u16string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
            ++i;
        }
        else if (c >= 0xD800 && c <= 0xDFFF)
        {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string FromUtf8(const std::string& text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size();)
    {
        const auto lead = static_cast<unsigned char>(text[i]);
        char32_t c = lead;
        int length = 1;
        if (lead >= 0xF0)
        {
            length = 4;
            c = lead & 0x07;
        }
        else if (lead >= 0xE0)
        {
            length = 3;
            c = lead & 0x0F;
        }
        else if (lead >= 0xC0)
        {
            length = 2;
            c = lead & 0x1F;
        }
        if (i + static_cast<std::size_t>(length) > text.size())
            length = 1;
        for (int k = 1; k < length; ++k)
            c = (c << 6) |
                (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F);
        i += static_cast<std::size_t>(length);
        if (c >= 0x10000)
        {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        }
        else
        {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::u16string FromWide(const WideChar* text)
{
    std::u16string out;
    if (text != nullptr)
        for (; *text != 0; ++text)
            out += static_cast<char16_t>(*text);
    return out;
}

WideString ToWideString(const std::u16string& text)
{
    return WideString(text.begin(), text.end());
}

std::string FormatCall(const Call& call)
{
    std::string line;
    if (!call.object.empty())
    {
        line += call.object;
        line += '.';
    }
    line += call.method;
    line += '(';
    for (std::size_t i = 0; i < call.arguments.size(); ++i)
    {
        if (i != 0)
            line += ", ";
        AppendValue(line, call.arguments[i]);
    }
    line += ')';
    if (call.hasResult)
    {
        line += " -> ";
        AppendValue(line, call.result);
    }
    return line;
}

std::string FormatCallJson(const Call& call)
{
    std::string line = "{\"object\":";
    AppendQuoted(line, FromUtf8(call.object.empty() ? "sink" : call.object));
    line += ",\"call\":";
    AppendQuoted(line, FromUtf8(call.method));
    line += ",\"args\":[";
    for (std::size_t i = 0; i < call.arguments.size(); ++i)
    {
        if (i != 0)
            line += ',';
        AppendValue(line, call.arguments[i]);
    }
    line += ']';
    if (call.hasResult)
    {
        line += ",\"result\":";
        AppendValue(line, call.result);
    }
    line += '}';
    return line;
}

bool ParseDecimal(const std::u16string& text, double& value)
{
    std::string narrow;
    for (const char16_t c : text)
    {
        const bool allowed = IsDigit(c) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
        if (!allowed)
            return false;
        narrow += static_cast<char>(c);
    }
    const char* begin = narrow.c_str();
    const char* end = begin + narrow.size();
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

bool ParseAngle(const std::u16string& text, int unitCode, double& value)
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
    std::vector<std::u16string> parts;
    std::size_t start = 0;
    for (std::size_t dot; (dot = text.find(u'.', start)) != std::u16string::npos; start = dot + 1)
        parts.push_back(text.substr(start, dot - start));
    parts.push_back(text.substr(start));
    if (parts.size() <= 2)
        return ParseDecimal(text, value);
    if (parts.size() != 4 || parts[1].size() != 2 || parts[2].size() != 2 || !AllDigits(parts[1]) ||
        !AllDigits(parts[2]) || !(parts[3].empty() || AllDigits(parts[3])))
        return false;
    std::u16string degreesText = parts[0];
    const bool negative = !degreesText.empty() && degreesText[0] == u'-';
    if (negative)
        degreesText.erase(0, 1);
    double degrees = 0.0;
    if (!ParseDecimal(degreesText, degrees) ||
        degreesText.find_first_of(u"+-eE") != std::u16string::npos)
        return false;
    const double minutes = (parts[1][0] - u'0') * 10 + (parts[1][1] - u'0');
    double seconds = (parts[2][0] - u'0') * 10 + (parts[2][1] - u'0');
    if (!parts[3].empty())
    {
        double fraction = 0.0;
        ParseDecimal(u"0." + parts[3], fraction);
        seconds += fraction;
    }
    if (minutes >= 60 || seconds >= 60)
        return false;
    const double result = degrees + minutes / 60.0 + seconds / 3600.0;
    value = negative ? -result : result;
    return true;
}

ValueParser::ValueParser(RecordingHost& owner, std::string parserKind, int unit)
    : host(owner), kind(std::move(parserKind)), unitCode(unit)
{
    host.ObjectCreated();
}

void ValueParser::AddRef()
{
    ++references;
    host.Record(MakeCall(kind, "AddRef"));
}

bool ValueParser::Release()
{
    host.Record(MakeCall(kind, "Release"));
    if (references <= 0)
    {
        host.ReportMisuse(kind + " parser released after its last reference");
        return false;
    }
    if (--references != 0)
        return false;
    host.ObjectDestroyed();
    return true;
}

bool ValueParser::Parse(const WideChar* text, double* value)
{
    if (references <= 0)
        host.ReportMisuse(kind + " parser used after its last reference");
    const std::u16string input = FromWide(text);
    double parsed = 0.0;
    const bool accepted =
        kind == "angle" ? ParseAngle(input, unitCode, parsed) : ParseDecimal(input, parsed);
    if (accepted)
        *value = parsed;
    if (host.Options().recordParserCalls)
    {
        Call call = MakeCall(kind, "Parse", {Text{input}});
        call.hasResult = true;
        call.result = accepted ? Value(parsed) : Value(false);
        host.Record(std::move(call));
    }
    return accepted;
}

void ParserFactory::AddRef()
{
    ++references;
    host.Record(MakeCall("factory", "AddRef"));
}

bool ParserFactory::Release()
{
    host.Record(MakeCall("factory", "Release"));
    if (references <= 0)
    {
        host.ReportMisuse("factory released after its last reference");
        return false;
    }
    if (--references != 0)
        return false;
    host.ObjectDestroyed();
    return true;
}

Plugin::IValueParser* ParserFactory::Make(const char* method, const char* kind, int unitCode)
{
    host.Record(MakeCall("factory", method, {unitCode}));
    if (references <= 0)
        host.ReportMisuse(std::string("factory used after its last reference: ") + method);
    host.parsers.push_back(std::make_unique<ValueParser>(host, kind, unitCode));
    return host.parsers.back().get();
}

Plugin::IValueParser* ParserFactory::GetAngleParser(int unitCode)
{
    return Make("GetAngleParser", "angle", unitCode);
}

Plugin::IValueParser* ParserFactory::GetDistanceParser(int unitCode)
{
    return Make("GetDistanceParser", "distance", unitCode);
}

Plugin::IValueParser* ParserFactory::GetPressureParser(int unitCode)
{
    return Make("GetPressureParser", "pressure", unitCode);
}

Plugin::IValueParser* ParserFactory::GetTemperatureParser(int unitCode)
{
    return Make("GetTemperatureParser", "temperature", unitCode);
}

RecordingHost::RecordingHost(HostOptions hostOptions) : options(hostOptions) {}

RecordingHost::~RecordingHost() = default;

void RecordingHost::Record(Call call)
{
    calls.push_back(std::move(call));
}

void RecordingHost::RecordSink(const char* method, Value argument)
{
    calls.push_back(MakeCall("", method, {std::move(argument)}));
}

std::vector<std::string> RecordingHost::Lines() const
{
    std::vector<std::string> lines;
    lines.reserve(calls.size());
    for (const Call& call : calls)
        lines.push_back(FormatCall(call));
    return lines;
}

Plugin::IValueParserFactory* RecordingHost::GetValueParserFactory()
{
    calls.push_back(MakeCall("", "GetValueParserFactory"));
    ObjectCreated();
    factories.push_back(std::make_unique<ParserFactory>(*this));
    return factories.back().get();
}

void RecordingHost::BeginFile(const WideChar* path)
{
    RecordSink("BeginFile", Text{FromWide(path)});
}

void RecordingHost::SetFileResult(int result)
{
    RecordSink("SetFileResult", result);
}

void RecordingHost::ReportWarning(const WideChar* text)
{
    RecordSink("ReportWarning", Text{FromWide(text)});
}

void RecordingHost::ReportError(const WideChar* text)
{
    RecordSink("ReportError", Text{FromWide(text)});
}

void RecordingHost::SetProgress(float percent)
{
    RecordSink("SetProgress", static_cast<double>(percent));
}

Plugin::ISinkExtension* RecordingHost::GetExtension(int kind)
{
    const bool available = (kind == Plugin::PointExtension && options.pointExtension) ||
                           (kind == Plugin::ObservationExtension && options.observationExtension);
    Call call = MakeCall("", "GetExtension", {kind});
    call.hasResult = true;
    call.result = available ? Value(Text{u"extension"}) : Value(Null{});
    calls.push_back(std::move(call));
    return available ? this : nullptr;
}

void RecordingHost::AddPoint(const WideChar* name)
{
    RecordSink("AddPoint", Text{FromWide(name)});
}

void RecordingHost::SetNorthing(double value)
{
    RecordSink("SetNorthing", value);
}

void RecordingHost::SetEasting(double value)
{
    RecordSink("SetEasting", value);
}

void RecordingHost::SetElevation(double value)
{
    RecordSink("SetElevation", value);
}

void RecordingHost::SetPlanType(int type)
{
    RecordSink("SetPlanType", type);
}

void RecordingHost::SetHeightType(int type)
{
    RecordSink("SetHeightType", type);
}

void RecordingHost::SetPointCode(const WideChar* code)
{
    RecordSink("SetPointCode", Text{FromWide(code)});
}

void RecordingHost::SetStation(const WideChar* name)
{
    RecordSink("SetStation", Text{FromWide(name)});
}

void RecordingHost::SetDate(const WideChar* date)
{
    RecordSink("SetDate", Text{FromWide(date)});
}

void RecordingHost::SetInstrumentHeight(double value)
{
    RecordSink("SetInstrumentHeight", value);
}

void RecordingHost::SetTargetPoint(const WideChar* name)
{
    RecordSink("SetTargetPoint", Text{FromWide(name)});
}

void RecordingHost::SetPressure(double value)
{
    RecordSink("SetPressure", value);
}

void RecordingHost::SetDryTemperature(double value)
{
    RecordSink("SetDryTemperature", value);
}

void RecordingHost::SetZenithAngle(double value)
{
    RecordSink("SetZenithAngle", value);
}

void RecordingHost::SetHorizontalAngle(double value)
{
    RecordSink("SetHorizontalAngle", value);
}

void RecordingHost::SetTargetHeight(double value)
{
    RecordSink("SetTargetHeight", value);
}

void RecordingHost::SetSlopeDistance(double value)
{
    RecordSink("SetSlopeDistance", value);
}

void RecordingHost::SetFace(int face)
{
    RecordSink("SetFace", face);
}

void RecordingHost::SetDescription(const WideChar* text)
{
    calls.push_back(MakeCall("extension", "SetDescription", {Text{FromWide(text)}}));
}

void RecordingHost::SetObservationTime(const WideChar* text)
{
    calls.push_back(MakeCall("extension", "SetObservationTime", {Text{FromWide(text)}}));
}

void RecordingHost::AddImageNote(const WideChar* text)
{
    calls.push_back(MakeCall("extension", "AddImageNote", {Text{FromWide(text)}}));
}

bool PathList::HasCurrent()
{
    calls.emplace_back("HasCurrent");
    return position < paths.size();
}

void PathList::MoveNext()
{
    calls.emplace_back("MoveNext");
    if (position < paths.size())
        ++position;
}

const WideChar* PathList::GetCurrent()
{
    calls.emplace_back("GetCurrent");
    return position < paths.size() ? paths[position].c_str() : nullptr;
}

void PathList::Reset()
{
    calls.emplace_back("Reset");
    position = 0;
}

int SettingsStore::ReadInt(const WideChar* key, int defaultValue)
{
    calls.push_back("ReadInt(\"" + ToUtf8(FromWide(key)) + "\", " + std::to_string(defaultValue) +
                    ")");
    return hasValue ? value : defaultValue;
}

bool SettingsStore::WriteInt(const WideChar* key, int newValue)
{
    calls.push_back("WriteInt(\"" + ToUtf8(FromWide(key)) + "\", " + std::to_string(newValue) +
                    ")");
    hasValue = true;
    value = newValue;
    return true;
}

} // namespace Host
