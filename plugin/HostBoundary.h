#pragma once

// The edge between the plug-in and a host built with another compiler. Two things must not cross
// it: an exception of the plug-in's own, which such a host cannot catch (each slot catches them
// and reports or answers instead), and, in the other direction, nothing the plug-in holds may be
// left behind when the host's exception from one of its callbacks passes through the plug-in.
// That exception unwinds the plug-in's frames without running their destructors, so what an
// import holds is listed while it lives (`Held`), and the slot's call (`AtHostBoundary`) releases
// whatever is still listed as the exception passes.

#include "platform/Platform.h"

#include <memory>

namespace Plugin
{

// One object on the calling thread's list of what the plug-in holds, from construction to
// destruction. Declared right after the object it lists, so that it leaves the list before the
// object is destroyed. Entries leave the list in the reverse order of their arrival.
class Held
{
public:
    template <typename T>
    explicit Held(T& listed)
        : object(const_cast<void*>(static_cast<const void*>(&listed))),
          release([](void* entry) { std::destroy_at(static_cast<T*>(entry)); }), older(newest)
    {
        newest = this;
    }
    ~Held() { newest = older; }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

    // Destroys every object listed after mark (an entry, or null for all), the newest first, and
    // takes them off the list.
    static void ReleaseAfter(const Held* mark)
    {
        while (newest != nullptr && newest != mark)
        {
            Held* entry = newest;
            newest = entry->older;
            entry->release(entry->object);
        }
    }

    // The newest entry of this thread; null when nothing is held.
    static inline thread_local Held* newest = nullptr;

private:
    void* object;
    void (*release)(void*);
    Held* older;
};

// Runs work as the body of a slot the host called. When an exception of another runtime leaves
// work, the objects work listed are destroyed as it passes, and the exception goes on to the
// host unchanged.
template <typename Work> void AtHostBoundary(Work&& work)
{
    Platform::CallReleasingOnUnwind(
        [](void* body) { (*static_cast<Work*>(body))(); }, &work,
        [](void* mark) { Held::ReleaseAfter(static_cast<const Held*>(mark)); }, Held::newest);
}

} // namespace Plugin
