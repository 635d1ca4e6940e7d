// Spin fields (decrement button, value label, increment button inside a
// container).
#include "core/operations/detail/numbers.hpp"
#include "core/operations/operations.hpp"

#include <charconv>
#include <cmath>
#include <limits>

namespace orvy {

std::optional<NodeId> spin_container(Tree const& tree, NodeId node)
{
    if (!tree.contains(node))
        return std::nullopt;
    if (tree.node(node).model.as<SpinModel>())
        return node;
    auto parent = tree.node(node).parent;
    if (parent && tree.node(*parent).model.as<SpinModel>())
        return parent;
    return std::nullopt;
}

Text format_spin_value(float value, float step)
{
    char buffer[64];
    char* end = buffer;
    bool integral_step = std::abs(step - std::round(step)) < 0.000001f;
    if (integral_step && std::abs(value) < 9.0e15f) {
        end = std::to_chars(buffer, buffer + sizeof buffer, std::llround(value)).ptr;
    } else {
        end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    }
    return Text(buffer, end);
}

namespace {

// The spin's bounds in order, a NaN bound counting as no bound.
float clamp_to_spin(SpinModel const& spin, float value)
{
    float infinity = std::numeric_limits<float>::infinity();
    float lo = std::isnan(spin.minimum) ? -infinity : spin.minimum;
    float hi = std::isnan(spin.maximum) ? infinity : spin.maximum;
    if (lo > hi)
        std::swap(lo, hi);
    return detail::clamp_number(value, lo, hi);
}

// The value label is the middle child; it is found by kind so that a spin
// whose children differ still works.
void rewrite_label(Tree& tree, NodeId container)
{
    auto const& spin = *tree.node(container).model.as<SpinModel>();
    for (NodeId child : tree.node(container).children) {
        if (tree.node(child).kind() == NodeKind::Label) {
            tree.node(child).model.as<TextModel>()->text = format_spin_value(spin.value, spin.step);
            return;
        }
    }
}

}

bool set_spin_value(Tree& tree, NodeId node, float value)
{
    auto container = spin_container(tree, node);
    if (!container)
        return false;
    auto* spin = tree.node(*container).model.as<SpinModel>();
    spin->value = clamp_to_spin(*spin, value);
    rewrite_label(tree, *container);
    return true;
}

void step_spin(Tree& tree, NodeId container, std::int32_t direction)
{
    if (!tree.contains(container))
        return;
    auto* spin = tree.node(container).model.as<SpinModel>();
    if (!spin)
        return;
    float step = std::isnan(spin->step) ? 0.0f : spin->step;
    spin->value = clamp_to_spin(*spin, spin->value + static_cast<float>(direction) * step);
    float value = spin->value;
    rewrite_label(tree, container);
    tree.fire_change(container, value);
}

}
