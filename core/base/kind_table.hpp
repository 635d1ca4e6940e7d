// kind_table: a table indexed by NodeKind, built at compile time from the rows
// of the kinds that have an entry; every other kind gets the fallback.
#pragma once

#include "core/base/node_kind.hpp"

#include <array>
#include <cstddef>

namespace orvy {

template<class Handler>
struct KindRow {
    NodeKind kind;
    Handler handler;
};

namespace detail {
// Not constexpr: reaching it stops the compile-time evaluation of a table.
inline void kind_listed_twice() { }
}

// Tables built with it are constexpr or constinit, so a kind given two rows
// fails to compile instead of letting the later row win.
template<class Handler, std::size_t N>
constexpr std::array<Handler, kind_count> kind_table(Handler fallback, KindRow<Handler> const (&rows)[N])
{
    std::array<Handler, kind_count> table {};
    std::array<bool, kind_count> listed {};
    table.fill(fallback);
    for (KindRow<Handler> const& row : rows) {
        auto index = static_cast<std::size_t>(row.kind);
        if (listed[index])
            detail::kind_listed_twice();
        listed[index] = true;
        table[index] = row.handler;
    }
    return table;
}

}
