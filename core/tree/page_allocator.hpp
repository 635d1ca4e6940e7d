// PageAllocator: an allocator for arrays that grow large by doubling, such as
// a tree's node array.
#pragma once

#include <cstddef>
#include <new>

namespace orvy {

namespace detail {

// Whole pages from the system, zero-filled and resident only once written;
// given back to the system when freed.
void* allocate_pages(std::size_t bytes);
void free_pages(void* address, std::size_t bytes);

}

// Large blocks come straight from the system's pages, so the block a grown
// array leaves behind is unmapped at once instead of staying resident as a
// free block inside the heap, and the room past the last element costs no
// memory until it is used. Small blocks come from the heap as usual.
template<class T>
struct PageAllocator {
    using value_type = T;

    static constexpr std::size_t page_threshold = 64 * 1024;

    PageAllocator() = default;
    template<class U>
    PageAllocator(PageAllocator<U> const&) noexcept
    {
    }

    T* allocate(std::size_t count)
    {
        std::size_t bytes = count * sizeof(T);
        if (count > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        if (bytes < page_threshold)
            return static_cast<T*>(::operator new(bytes, std::align_val_t { alignof(T) }));
        return static_cast<T*>(detail::allocate_pages(bytes));
    }

    void deallocate(T* address, std::size_t count) noexcept
    {
        std::size_t bytes = count * sizeof(T);
        if (bytes < page_threshold)
            ::operator delete(address, std::align_val_t { alignof(T) });
        else
            detail::free_pages(address, bytes);
    }

    template<class U>
    friend bool operator==(PageAllocator const&, PageAllocator<U> const&) noexcept
    {
        return true;
    }
};

}
