// Loading the platform backend: its library is opened from beside the module
// the first time something needs windows, text or images, so that importing
// the module does not load Xlib, Cairo, Pango and the image libraries.
//
// The backend library links its own copy of core, as the module does. Both
// are built with hidden visibility and export one symbol each (PyInit__orvy
// here, orvy_platform_table there), and the library is opened RTLD_LOCAL, so
// neither copy can bind to the other's symbols. Two copies are safe because
// nothing process-wide in core has to be shared between them:
// - objects cross only as core's interfaces (Host, NativeWindow, Waker,
//   WindowHandlers, Canvas, TextEngine, TextFormat, TextLayout, ImageDecoder,
//   Callback), are called through virtual functions and destroyed through
//   virtual destructors, so each object runs the code of the image that made
//   it; the non-virtual members either side calls on them (TextEngine's
//   caches, WindowProcedure) work on the object's own data only;
// - the library's copy of core is small (the text engine's caches, the image
//   helpers, the window options and frame timer, the window procedure) and
//   uses no state with process lifetime but the format serials: the post queue,
//   the style generations and the hash seed of the node sets are used by the
//   module alone; format serials key a layout cache that only holds formats
//   its own engine made, all from the backend's counter; the thread_locals
//   core has are scratch buffers, which each copy may keep for itself;
// - both sides share libstdc++ and the allocator, so memory freed on the
//   other side is fine, and the library is never closed once loaded, so the
//   code behind objects it made outlives them.
// The table names the core interface the library was built against and a
// library from another build is refused, as a mismatched layout would not be
// noticed otherwise.
#if ORVY_HAS_PLATFORM

#include "core/window/platform.hpp"
#include "python/platform_bridge.hpp"
#include "python/pyref.hpp"

#include "orvy_core_interface.hpp"
#ifndef _WIN32
#include "orvy_runtime_libraries.hpp"
#endif

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace orvy::py {

namespace {

struct LoadedPlatform {
    PlatformTable const* table = nullptr;
    std::string error; // why there is no table
};

char const anchor = 0; // an address inside the module, to find its file

std::atomic<PlatformTable const*> loaded_table { nullptr };
// Set when a window starts with nothing in it while the backend loads.
std::atomic<bool> empty_window_starting { false };

std::string prefixed(std::string const& reason) { return "оконная система не загружена: " + reason; }

#ifdef _WIN32

// The module's directory with the backend's file name; never a bare name,
// which the loader would look for along the search path.
std::optional<std::wstring> library_path()
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&anchor), &module))
        return std::nullopt;
    std::wstring path(32768, L'\0');
    DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size())
        return std::nullopt;
    path.resize(length);
    std::size_t slash = path.find_last_of(L"\\/");
    std::wstring directory = slash == std::wstring::npos ? std::wstring(L".\\") : path.substr(0, slash + 1);
    std::string name = ORVY_PLATFORM_LIBRARY;
    return directory + std::wstring(name.begin(), name.end());
}

std::string path_text(std::wstring const& path)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), static_cast<int>(path.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, path.c_str(), static_cast<int>(path.size()), text.data(), size, nullptr, nullptr);
    return text;
}

std::string last_load_error()
{
    char code[32];
    std::snprintf(code, sizeof code, "ошибка 0x%08lX", static_cast<unsigned long>(HRESULT_FROM_WIN32(GetLastError())));
    return code;
}

// The library with its own directory searched first for what it needs.
void* open_library(std::wstring const& path)
{
    return reinterpret_cast<void*>(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}
void* find_symbol(void* library, char const* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
void close_library(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

// The backend needs only system DLLs: a failure is the backend's own.
std::optional<std::string> missing_runtime_libraries() { return std::nullopt; }

#else

// The module's directory with the backend's file name; never a bare name,
// which dlopen would look for along the library path.
std::optional<std::string> library_path()
{
    Dl_info info {};
    if (!dladdr(&anchor, &info) || !info.dli_fname)
        return std::nullopt;
    std::string path = info.dli_fname;
    std::size_t slash = path.rfind('/');
    std::string directory = slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
    return directory + ORVY_PLATFORM_LIBRARY;
}

std::string path_text(std::string const& path) { return path; }

std::string last_load_error()
{
    char const* text = dlerror();
    return text ? text : "неизвестная ошибка";
}

// The backend is linked to bind its own symbols at load, so a system library
// that lacks one fails here; the libraries it pulls in bind theirs on first
// call, as in any program, instead of every one of them before the first frame.
void* open_library(std::string const& path) { return dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL); }
void* find_symbol(void* library, char const* name)
{
    dlerror();
    return dlsym(library, name);
}
void close_library(void* library) { dlclose(library); }

// The libraries the backend needs that cannot be opened, each with its Debian
// package and the loader's reason, or nothing when they all open (then the
// backend itself is what failed). Probed only after the backend failed to open.
std::optional<std::string> missing_runtime_libraries()
{
    std::string missing;
    for (RuntimeLibrary const& library : runtime_libraries) {
        if (void* handle = dlopen(library.file, RTLD_LAZY | RTLD_LOCAL)) {
            dlclose(handle);
            continue;
        }
        missing += (missing.empty() ? "" : "; ") + std::string("нет библиотеки ") + library.file + " (пакет Debian "
            + library.package + "): " + last_load_error();
    }
    if (missing.empty())
        return std::nullopt;
    return missing;
}

#endif

// What makes the table unusable, if anything. Version and size come first in
// every table, so they can be read from any; the rest only once they match.
std::optional<std::string> how_it_differs(PlatformTable const* table)
{
    if (!table)
        return "нет таблицы";
    if (table->version != platform_table_version)
        return "версия таблицы " + std::to_string(table->version) + ", нужна "
            + std::to_string(platform_table_version);
    if (table->size != sizeof(PlatformTable))
        return "размер таблицы " + std::to_string(table->size) + ", нужен " + std::to_string(sizeof(PlatformTable));
    if (!table->core_interface || std::strcmp(table->core_interface, ORVY_CORE_INTERFACE) != 0)
        return std::string("ядро собрано из других заголовков");
    if (!table->host || !table->make_text_engine || !table->make_image_decoder)
        return std::string("таблица неполна");
    return std::nullopt;
}

LoadedPlatform load()
{
    auto path = library_path();
    if (!path)
        return { nullptr, prefixed("не найден файл модуля _orvy") };
    void* handle = open_library(*path);
    if (!handle) {
        std::string error = last_load_error();
        return { nullptr, prefixed(missing_runtime_libraries().value_or(error)) };
    }
    void* symbol = find_symbol(handle, platform_table_symbol);
    if (!symbol) {
        std::string error = prefixed(last_load_error());
        close_library(handle);
        return { nullptr, error };
    }
    auto entry = reinterpret_cast<PlatformTable const* (*)()>(symbol);
    PlatformTable const* table = entry();
    if (std::optional<std::string> mismatch = how_it_differs(table)) {
        close_library(handle);
        return { nullptr, prefixed(path_text(*path) + " из другой сборки orvy: " + *mismatch) };
    }
    loaded_table.store(table, std::memory_order_release);
    mark_startup(StartupMark::BackendLoaded);
    return { table, {} };
}

// The one load of the process, run by whoever claims it first: the thread a
// new window object starts, or the first caller that needs the services.
// Never freed: the loading thread may still run while the process exits.
struct Loading {
    std::mutex mutex;
    std::condition_variable finished;
    bool claimed = false;
    std::optional<LoadedPlatform> result;

    bool claim()
    {
        std::lock_guard lock(mutex);
        return !std::exchange(claimed, true);
    }
    void run(bool prepare)
    {
        LoadedPlatform loaded = load();
        // Published only once the preparation has read what a window's start may change.
        if (prepare && loaded.table && loaded.table->prepare_first_frame && !empty_window_starting)
            loaded.table->prepare_first_frame();
        {
            std::lock_guard lock(mutex);
            result = std::move(loaded);
        }
        finished.notify_all();
    }
    LoadedPlatform const* done()
    {
        std::lock_guard lock(mutex);
        return result ? &*result : nullptr;
    }
    LoadedPlatform const& wait()
    {
        std::unique_lock lock(mutex);
        finished.wait(lock, [this] { return result.has_value(); });
        return *result;
    }
};

Loading& loading()
{
    static Loading* const state = new Loading;
    return *state;
}

}

void prepare_platform_services()
{
    Loading& state = loading();
    if (!state.claim())
        return;
    try {
        std::thread([&state] { state.run(true); }).detach();
    } catch (std::system_error const&) {
        return state.run(false); // no thread to spare: load now, as first use would
    }
    // An interpreter that ends meanwhile waits for the load rather than
    // unloading the libraries under it.
    Py_AtExit([] { loading().wait(); });
}

PlatformTable const* platform_services()
{
    // Loaded once: a failure is remembered and reported again, not retried.
    Loading& state = loading();
    if (state.claim())
        state.run(false);
    LoadedPlatform const* loaded = state.done();
    if (!loaded) {
        // Other Python threads run while this one waits for the loading thread.
        Py_BEGIN_ALLOW_THREADS
        loaded = &state.wait();
        Py_END_ALLOW_THREADS
    }
    if (!loaded->table)
        PyErr_SetString(PyExc_RuntimeError, loaded->error.c_str());
    return loaded->table;
}

PlatformTable const* loaded_platform_services() { return loaded_table.load(std::memory_order_acquire); }

void note_empty_window_starting() { empty_window_starting = true; }

}

#endif
