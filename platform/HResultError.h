#pragma once

#include <cstdint>
#include <exception>

namespace Plugin
{

constexpr std::int32_t E_OUTOFMEMORY_HR = static_cast<std::int32_t>(0x8007000E);
constexpr std::int32_t E_INVALIDARG_HR = static_cast<std::int32_t>(0x80070057);
constexpr std::int32_t E_FAIL_HR = static_cast<std::int32_t>(0x80004005);

// A failure that is not the document's: a text that cannot be converted or loaded, raised with
// the system's error code. The import driver catches it and reports the file as failed with the
// system's text for the code; no slot lets it reach the host.
class HResultError : public std::exception
{
public:
    explicit HResultError(std::int32_t errorCode) : code(errorCode) {}

    std::int32_t Code() const { return code; }
    const char* what() const noexcept override { return "HRESULT error"; }

private:
    std::int32_t code;
};

// A system error code as an HRESULT: codes above 0 are put into the Win32 facility with their
// low 16 bits; any other value already is one and is used unchanged.
constexpr std::int32_t HResultFromSystemError(std::int32_t systemError)
{
    return systemError > 0 ? static_cast<std::int32_t>(
                                 0x80070000u | (static_cast<std::uint32_t>(systemError) & 0xFFFFu))
                           : systemError;
}

} // namespace Plugin
