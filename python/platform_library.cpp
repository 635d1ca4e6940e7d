// Loading the platform backend: its library is opened from beside the module
// the first time something needs windows, text or images, so that importing
// the module does not load SDL, Cairo, Pango and the image libraries.
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
#include "orvy_runtime_libraries.hpp"

#include <atomic>
#include <cstring>
#include <optional>
#include <string>

#include <dlfcn.h>

namespace orvy::py {

namespace {

struct LoadedPlatform {
    PlatformTable const* table = nullptr;
    std::string error; // why there is no table
};

char const anchor = 0; // an address inside the module, to find its file

std::atomic<PlatformTable const*> loaded_table { nullptr };

std::string prefixed(std::string const& reason) { return "оконная система не загружена: " + reason; }

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

std::string last_dl_error()
{
    char const* text = dlerror();
    return text ? text : "неизвестная ошибка";
}

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
            + library.package + "): " + last_dl_error();
    }
    if (missing.empty())
        return std::nullopt;
    return missing;
}

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
    std::optional<std::string> path = library_path();
    if (!path)
        return { nullptr, prefixed("не найден файл модуля _orvy") };
    void* handle = dlopen(path->c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::string error = last_dl_error();
        return { nullptr, prefixed(missing_runtime_libraries().value_or(error)) };
    }
    dlerror();
    void* symbol = dlsym(handle, platform_table_symbol);
    if (!symbol) {
        std::string error = prefixed(last_dl_error());
        dlclose(handle);
        return { nullptr, error };
    }
    auto entry = reinterpret_cast<PlatformTable const* (*)()>(symbol);
    PlatformTable const* table = entry();
    if (std::optional<std::string> mismatch = how_it_differs(table)) {
        dlclose(handle);
        return { nullptr, prefixed(*path + " из другой сборки orvy: " + *mismatch) };
    }
    loaded_table.store(table, std::memory_order_release);
    mark_startup(StartupMark::BackendLoaded);
    return { table, {} };
}

}

PlatformTable const* platform_services()
{
    // Loaded once: a failure is remembered and reported again, not retried.
    static LoadedPlatform const loaded = load();
    if (!loaded.table)
        PyErr_SetString(PyExc_RuntimeError, loaded.error.c_str());
    return loaded.table;
}

PlatformTable const* loaded_platform_services() { return loaded_table.load(std::memory_order_acquire); }

}

#endif
