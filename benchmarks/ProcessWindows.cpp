// windows.h first: the other Windows headers rely on its types.
#include <windows.h>

#include <psapi.h>

#include "benchmarks/Process.h"
#include "tools/host/Text.h"

namespace Benchmark
{
namespace
{

double Seconds(const FILETIME& time)
{
    ULARGE_INTEGER ticks;
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    return static_cast<double>(ticks.QuadPart) * 1e-7; // 100 ns ticks
}

} // namespace

double ProcessorSeconds()
{
    FILETIME created;
    FILETIME exited;
    FILETIME kernel;
    FILETIME user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0.0;
    return Seconds(kernel) + Seconds(user);
}

std::uint64_t PeakResidentBytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return counters.PeakWorkingSetSize;
}

int RunSelf(const std::vector<std::string>& arguments)
{
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return -1;
    // Each argument in quotes: the benchmark passes paths, which hold no quotes.
    std::wstring line = L"\"" + std::wstring(self) + L"\"";
    for (const std::string& argument : arguments)
    {
        const Plugin::WideString wide = Host::ToWideString(Host::FromUtf8(argument));
        line += L" \"" + std::wstring(wide.begin(), wide.end()) + L"\"";
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(self, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return -1;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    const bool known = ::GetExitCodeProcess(process.hProcess, &status) != 0;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return known ? static_cast<int>(status) : -1;
}

} // namespace Benchmark
