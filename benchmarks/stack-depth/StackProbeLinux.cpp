// The child is a fork of this process; its parse runs on a pthread with the requested stack.

#include "StackProbe.h"

#include <cerrno>
#include <cstdio>
#include <pthread.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace StackDepth
{
namespace
{

constexpr int kParseFailed = 1;
constexpr int kNoThread = 2;

void* ParseThread(void* argument)
{
    const std::size_t depth = *static_cast<const std::size_t*>(argument);
    return ParseNested(depth) ? argument : nullptr;
}

int ParseOnThread(std::size_t depth, std::size_t stackBytes)
{
    pthread_attr_t attributes;
    if (::pthread_attr_init(&attributes) != 0 ||
        ::pthread_attr_setstacksize(&attributes, stackBytes) != 0)
        return kNoThread;
    pthread_t thread;
    const int created = ::pthread_create(&thread, &attributes, ParseThread, &depth);
    ::pthread_attr_destroy(&attributes);
    if (created != 0)
        return kNoThread;
    void* result = nullptr;
    ::pthread_join(thread, &result);
    return result != nullptr ? 0 : kParseFailed;
}

} // namespace

bool SurvivesOnStack(std::size_t depth, std::size_t stackBytes)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0)
    {
        // An overflow is expected: no core file for it.
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::_exit(ParseOnThread(depth, stackBytes));
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            throw std::runtime_error("waitpid failed");
    if (WIFSIGNALED(status))
        return false; // SIGSEGV on the guard page
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    throw std::runtime_error(WIFEXITED(status) && WEXITSTATUS(status) == kNoThread
                                 ? "cannot start a thread with that stack"
                                 : "the parse failed");
}

int RunChildIfAsked(int, char**)
{
    return -1;
}

} // namespace StackDepth
