// Number conversions shared by the model operations: clamping that never lets
// NaN through, and float-to-index conversion with saturation.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace orvy::detail {

// clamp(x, lo, hi) where NaN becomes lo, so no model ever stores NaN.
inline float clamp_number(float x, float lo, float hi)
{
    if (std::isnan(x))
        return lo;
    return x < lo ? lo : (x > hi ? hi : x);
}

inline float clamp01(float x) { return clamp_number(x, 0.0f, 1.0f); }

// The integer part of max(x, 0), saturating at the largest u32; NaN gives 0.
inline std::uint32_t to_index(float x)
{
    if (!(x > 0.0f))
        return 0;
    if (x >= 4294967296.0f)
        return std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(x);
}

// The integer part of x, saturating at the i32 bounds; NaN gives 0.
inline std::int32_t to_int(float x)
{
    if (std::isnan(x))
        return 0;
    if (x >= 2147483648.0f)
        return std::numeric_limits<std::int32_t>::max();
    if (x <= -2147483648.0f)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(x);
}

// Non-negative remainder, for wrapping values into 0..m-1.
inline std::int64_t wrap(std::int64_t value, std::int64_t m)
{
    std::int64_t r = value % m;
    return r < 0 ? r + m : r;
}

}
