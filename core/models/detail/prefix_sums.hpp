// Running totals over a sequence of non-negative values (a Fenwick tree):
// the sum before any element and the element a total falls in, both in
// O(log n), and one element changed in O(log n).
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <vector>

namespace orvy::detail {

template<class T>
class PrefixSums {
public:
    // Builds from `count` values, `value_of(i)` being element i, in O(n).
    template<class ValueOf>
    void assign(std::size_t count, ValueOf&& value_of)
    {
        m_tree.resize(count + 1);
        m_tree[0] = T {};
        for (std::size_t i = 0; i < count; ++i)
            m_tree[i + 1] = static_cast<T>(value_of(i));
        for (std::size_t i = 1; i < m_tree.size(); ++i) {
            std::size_t parent = i + (i & (~i + 1));
            if (parent < m_tree.size())
                m_tree[parent] += m_tree[i];
        }
    }

    std::size_t size() const { return m_tree.empty() ? 0 : m_tree.size() - 1; }

    // Element `index` grows by `delta` (unsigned types wrap, so a fall works as well).
    void add(std::size_t index, T delta)
    {
        for (std::size_t i = index + 1; i < m_tree.size(); i += i & (~i + 1))
            m_tree[i] += delta;
    }

    // The sum of the elements before `index`.
    T before(std::size_t index) const
    {
        T sum {};
        for (std::size_t i = std::min(index, size()); i > 0; i -= i & (~i + 1))
            sum += m_tree[i];
        return sum;
    }

    // How many leading elements sum to at most `total`: the element that
    // `total` falls in, or size() when it reaches past them all.
    std::size_t count_within(T total) const
    {
        std::size_t count = 0;
        for (std::size_t step = std::bit_floor(size()); step > 0; step >>= 1) {
            if (count + step < m_tree.size() && m_tree[count + step] <= total) {
                count += step;
                total -= m_tree[count];
            }
        }
        return count;
    }

private:
    std::vector<T> m_tree; // 1-based: m_tree[i] sums the (i & -i) elements ending at i - 1
};

}
