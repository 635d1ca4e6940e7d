#include "core/tree/page_allocator.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace orvy::detail {

void* allocate_pages(std::size_t bytes)
{
#ifdef _WIN32
    void* address = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!address)
        throw std::bad_alloc();
#else
    void* address = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address == MAP_FAILED)
        throw std::bad_alloc();
#endif
    return address;
}

void free_pages(void* address, std::size_t bytes)
{
#ifdef _WIN32
    (void)bytes;
    VirtualFree(address, 0, MEM_RELEASE);
#else
    munmap(address, bytes);
#endif
}

}
