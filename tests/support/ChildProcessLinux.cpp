#include "tests/support/ChildProcess.h"

#include <cerrno>
#include <cstdio>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Defined by the address and leak sanitizers' runtimes, whose allocators report an exhausted
// address space as an error that ends the process; absent otherwise.
extern "C" __attribute__((weak)) void __lsan_do_leak_check();

namespace Testing
{
namespace
{

// The process's address space now, from the first field of /proc/self/statm (in pages).
std::size_t AddressSpaceInUse()
{
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr)
        return 0;
    unsigned long pages = 0;
    if (std::fscanf(statm, "%lu", &pages) != 1)
        pages = 0;
    std::fclose(statm);
    return static_cast<std::size_t>(pages) * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

} // namespace

int RunInChildWithMemoryLimit(std::size_t extraBytes, const std::function<int()>& work)
{
    if (__lsan_do_leak_check != nullptr)
        return -1;
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0)
    {
        const rlim_t bytes = AddressSpaceInUse() + extraBytes;
        const rlimit limit{bytes, bytes};
        if (::setrlimit(RLIMIT_AS, &limit) != 0)
            ::_exit(253);
        int result = 254;
        try
        {
            result = work();
        }
        catch (...)
        {
            result = 254;
        }
        std::fflush(nullptr);
        ::_exit(result & 0xFF);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

bool CreateFifo(const std::filesystem::path& path)
{
    return ::mkfifo(path.c_str(), 0600) == 0;
}

} // namespace Testing
