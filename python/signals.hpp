// Per-thread signal tracking: which signals changed since the last refresh,
// and which ones a pull binding reads while it is evaluated.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace orvy::py {

struct SignalTracking {
    std::unordered_set<std::uint32_t> dirty;
    std::optional<std::vector<std::uint32_t>> recorder; // present only while a binding runs
    bool refreshing = false;

    void record_read(std::uint32_t id);
};

SignalTracking& signal_tracking();

}
