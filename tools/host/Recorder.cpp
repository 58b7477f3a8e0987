#include "tools/host/Recorder.h"

#include "tools/host/Text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>

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

// A text in double quotes with JSON escapes; lone surrogates are shown as \uXXXX.
void AppendQuoted(std::string& out, const std::u16string& text)
{
    out += '"';
    std::size_t plain = 0; // the start of the characters not yet written
    const auto flush = [&](std::size_t end)
    {
        out += ToUtf8(text.substr(plain, end - plain));
        plain = end + 1;
    };
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
        {
            ++i; // a pair: written with the plain characters
            continue;
        }
        const char* escape = nullptr;
        char code[8];
        switch (c)
        {
        case '"':
            escape = "\\\"";
            break;
        case '\\':
            escape = "\\\\";
            break;
        case '\n':
            escape = "\\n";
            break;
        case '\r':
            escape = "\\r";
            break;
        case '\t':
            escape = "\\t";
            break;
        default:
            if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF))
            {
                std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(c));
                escape = code;
            }
        }
        if (escape != nullptr)
        {
            flush(i);
            out += escape;
        }
    }
    flush(text.size());
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

} // namespace

std::string FirstText(const Call& call)
{
    if (!call.arguments.empty())
        if (const auto* text = std::get_if<Text>(&call.arguments.front()))
            return ToUtf8(text->value);
    return std::string();
}

std::optional<double> FirstNumber(const Call& call)
{
    if (!call.arguments.empty())
        if (const auto* number = std::get_if<double>(&call.arguments.front()))
            if (std::isfinite(*number))
                return *number;
    return std::nullopt;
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

Value Recorder::TextOf(const WideChar* text) const
{
    std::u16string value = FromWide(text);
    if (value.size() > textLimit)
    {
        const std::string length = std::to_string(value.size());
        value.resize(64);
        value += u"...[" + FromUtf8(length) + u" characters]";
    }
    return Text{std::move(value)};
}

void Recorder::Observe(const Event& event)
{
    const MethodShape& shape = ShapeOf(event.method);
    Call call;
    call.object = NameOf(event.object);
    call.method = shape.name;
    switch (shape.argument)
    {
    case Argument::None:
        break;
    case Argument::Text:
        call.arguments.push_back(TextOf(event.text));
        break;
    case Argument::Number:
        call.arguments.emplace_back(event.number);
        break;
    case Argument::Integer:
        call.arguments.emplace_back(event.integer);
        break;
    case Argument::KeyAndInteger:
        call.arguments = {TextOf(event.text), event.integer};
        break;
    case Argument::TwoIntegers:
        call.arguments = {event.integer, event.second};
        break;
    case Argument::ComboProperty:
        call.arguments = {event.integer, event.flag, TextOf(event.text), event.second};
        break;
    }
    call.hasResult = shape.answer != Answer::None;
    switch (shape.answer)
    {
    case Answer::None:
        break;
    case Answer::ExtensionOrNull:
        call.result = event.result != 0 ? Value(Text{u"extension"}) : Value(Null{});
        break;
    case Answer::NumberOrFalse:
        call.result = event.result != 0 ? Value(event.number) : Value(false);
        break;
    case Answer::Flag:
        call.result = event.result != 0;
        break;
    case Answer::TextOrNull:
        call.result = event.text != nullptr ? TextOf(event.text) : Value(Null{});
        break;
    case Answer::Integer:
        call.result = event.result;
        break;
    }
    calls.push_back(std::move(call));
}

std::vector<std::string> Recorder::Lines() const
{
    std::vector<std::string> lines;
    lines.reserve(calls.size());
    for (const Call& call : calls)
        lines.push_back(FormatCall(call));
    return lines;
}

} // namespace Host
