#pragma once

// The edge between the plug-in and a host built with another compiler. Two things must not cross
// it: an exception of the plug-in's own, which such a host cannot catch (each slot catches them
// and reports or answers instead), and, in the other direction, nothing the plug-in holds may be
// left behind when the host's exception from one of its callbacks passes through the plug-in.
// That exception unwinds the plug-in's frames without running their destructors. So the slot's
// call (`AtHostBoundary`) owns what the call holds, and releases it as the exception passes: its
// memory, where every heap block of the call comes from (`ImportMemory`), and the few owners of
// something else, an open file or a reference to a host object, which list themselves (`Held`).

#include "document/ImportMemory.h"
#include "platform/Platform.h"

#include <memory>

namespace Plugin
{

// One owner of something other than memory on the calling thread's list, from construction to
// destruction: a member of the owner, declared after what it owns, so that the owner's own
// destructor has released it when it leaves the list.
class Held
{
public:
    template <typename T>
    explicit Held(T& listed)
        : object(const_cast<void*>(static_cast<const void*>(&listed))),
          release([](void* entry) { std::destroy_at(static_cast<T*>(entry)); }), older(newest)
    {
        if (older != nullptr)
            older->newer = this;
        newest = this;
    }
    // Owners need not end in the reverse order of their start: each leaves from its place.
    ~Held()
    {
        if (older != nullptr)
            older->newer = newer;
        if (newer != nullptr)
            newer->older = older;
        else
            newest = older;
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

    // Destroys every owner listed after mark (an entry, or null for all), the newest first.
    static void ReleaseAfter(const Held* mark)
    {
        while (newest != nullptr && newest != mark)
            newest->release(newest->object); // its destructor takes it off the list
    }

    // The newest entry of this thread; null when nothing is held.
    static inline thread_local Held* newest = nullptr;

private:
    void* object;
    void (*release)(void*);
    Held* older;
    Held* newer = nullptr;
};

// Runs work as the body of a slot the host called, with memory of its own. When an exception of
// another runtime leaves work, the owners work listed are destroyed and its memory freed as it
// passes, and the exception goes on to the host unchanged.
template <typename Work> void AtHostBoundary(Work&& work)
{
    struct Call
    {
        Work& work;
        const Held* mark;
        ImportMemory memory;
    } call{work, Held::newest, {}};
    Platform::CallReleasingOnUnwind([](void* body) { static_cast<Call*>(body)->work(); }, &call,
                                    [](void* body)
                                    {
                                        Call& passed = *static_cast<Call*>(body);
                                        Held::ReleaseAfter(passed.mark);
                                        passed.memory.Release();
                                    },
                                    &call);
}

} // namespace Plugin
