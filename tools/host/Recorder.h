#pragma once

// The recording observer: keeps every call on the host's objects, with its arguments and
// result, in call order. The reference host prints the record; the tests compare it with golden
// traces, one line per call.

#include "tools/host/Host.h"

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace Host
{

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
    std::string object; // "" for the sink, else "extension", "factory", "distance", "paths", ...
    std::string method;
    std::vector<Value> arguments;
    bool hasResult = false;
    Value result = Null{};
};

// One call as a trace line: object.Method("text", 1.5) -> result. Texts are UTF-8 in double
// quotes with JSON escapes; numbers in their shortest round-trip form.
std::string FormatCall(const Call& call);
// The call's first argument as UTF-8 when it is a text (a name, a code, a path); else empty.
std::string FirstText(const Call& call);
// The call's first argument when it is a finite number (a coordinate, an angle); else none.
std::optional<double> FirstNumber(const Call& call);

class Recorder final : public Observer
{
public:
    // Texts longer than longestText are kept as their first 64 characters and their length.
    explicit Recorder(std::size_t longestText = std::numeric_limits<std::size_t>::max())
        : textLimit(longestText)
    {
    }

    void Observe(const Event& event) override;
    // Adds a call the host made itself, such as a question to the plug-in object.
    void Record(Call call) { calls.push_back(std::move(call)); }

    const std::vector<Call>& Calls() const { return calls; }
    void Clear() { calls.clear(); }
    // The record as trace lines, one per call.
    std::vector<std::string> Lines() const;

private:
    Value TextOf(const WideChar* text) const;
    std::size_t textLimit;
    std::vector<Call> calls;
};

} // namespace Host
