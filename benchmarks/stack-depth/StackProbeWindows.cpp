// The child is this program run again with "--child depth stackBytes"; its parse runs on a
// thread created with that stack reservation, as a host's worker thread would be.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "StackProbe.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace StackDepth
{
namespace
{

constexpr DWORD kParseFailed = 1;
constexpr DWORD kNoThread = 2;
constexpr DWORD kOverflow = 3;

// Ends the child at once on the overflow, before any debugger or error box is started for it.
LONG CALLBACK EndOnOverflow(EXCEPTION_POINTERS* exception)
{
    const DWORD code = exception->ExceptionRecord->ExceptionCode;
    if (code == EXCEPTION_STACK_OVERFLOW || code == EXCEPTION_ACCESS_VIOLATION)
        ::TerminateProcess(::GetCurrentProcess(), kOverflow);
    return EXCEPTION_CONTINUE_SEARCH;
}

DWORD WINAPI ParseThread(LPVOID argument)
{
    const std::size_t depth = *static_cast<const std::size_t*>(argument);
    return ParseNested(depth) ? 0 : kParseFailed;
}

DWORD ParseOnThread(std::size_t depth, std::size_t stackBytes)
{
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    ::AddVectoredExceptionHandler(1, EndOnOverflow);
    const HANDLE thread = ::CreateThread(nullptr, stackBytes, ParseThread, &depth,
                                         STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread == nullptr)
        return kNoThread;
    ::WaitForSingleObject(thread, INFINITE);
    DWORD result = kParseFailed;
    ::GetExitCodeThread(thread, &result);
    ::CloseHandle(thread);
    return result;
}

} // namespace

bool SurvivesOnStack(std::size_t depth, std::size_t stackBytes)
{
    wchar_t program[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        throw std::runtime_error("cannot find this program's path");
    std::wstring commandLine = L"\"" + std::wstring(program) + L"\" --child " +
                               std::to_wstring(depth) + L" " + std::to_wstring(stackBytes);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        throw std::runtime_error("cannot start the child");
    ::CloseHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = kParseFailed;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    if (code == 0)
        return true;
    if (code == kOverflow || code == static_cast<DWORD>(EXCEPTION_STACK_OVERFLOW))
        return false;
    throw std::runtime_error(code == kNoThread ? "cannot start a thread with that stack"
                                               : "the parse failed");
}

int RunChildIfAsked(int argc, char** argv)
{
    if (argc != 4 || std::strcmp(argv[1], "--child") != 0)
        return -1;
    const std::size_t depth = std::strtoull(argv[2], nullptr, 10);
    const std::size_t stackBytes = std::strtoull(argv[3], nullptr, 10);
    return static_cast<int>(ParseOnThread(depth, stackBytes));
}

} // namespace StackDepth
