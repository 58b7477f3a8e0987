#pragma once

#include "plugin/HostInterfaces.h"

#include <atomic>
#include <cstdint>
#include <type_traits>

namespace Plugin
{
namespace Detail
{

// The reference count of an object handed to the host; starts at 0 and is given its first
// reference by the creator. Atomic for the plug-in object, plain for objects of one thread.
template <bool Atomic> class CRefCountedBase
{
protected:
    std::int32_t Increment() { return ++count; }
    std::int32_t Decrement() { return --count; }

private:
    std::conditional_t<Atomic, std::atomic<std::int32_t>, std::int32_t> count{0};
};
static_assert(sizeof(std::atomic<std::int32_t>) == sizeof(std::int32_t), "a plain 32-bit count");

} // namespace Detail

// Implements AddRef and Release for the interface I. The virtual destructor takes the slot after
// all of I's slots.
template <typename I, bool Atomic>
class CRefCountedImpl : public I, public Detail::CRefCountedBase<Atomic>
{
public:
    void AddRef() override { this->Increment(); }

    bool Release() override
    {
        if (this->Decrement() != 0)
            return false;
        delete this;
        return true;
    }

    virtual ~CRefCountedImpl() = default;
};

// Base of plug-in classes: an atomic count, no data of its own.
template <typename I> class CPluginImpl : public CRefCountedImpl<I, true>
{
};

} // namespace Plugin
