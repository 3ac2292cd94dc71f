// Where the web builds find a resource that is not unpacked in /res.
#pragma once

#include <cstdint>
#include <new>
#include <utility>
#include <vector>

namespace web {

// An allocator whose new elements are left as the memory has them: a
// picture's bytes, which the page writes in whole, are not written twice,
// and fresh pages are not touched before the first frame.
template <class T>
struct UninitializedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    UninitializedAllocator() = default;
    template <class U>
    UninitializedAllocator(const UninitializedAllocator<U>&) {}
    template <class U>
    void construct(U* p) {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
using ResourceBuffer = std::vector<uint8_t, UninitializedAllocator<uint8_t>>;

// `source` is asked once for each resource not found in /res: it sizes
// `bytes` (left empty: no such resource) and may fill them in later, where
// they are; nothing reads a picture's pixels before they are there.
void SetPictureSource(void (*source)(int number, ResourceBuffer& bytes));

}  // namespace web
