// Selector matching: the last compound against the node, the others against
// its ancestors; plain over all nodes or through a kind and class index.
#include "core/style/detail/cascade.hpp"

#include <array>
#include <unordered_map>

namespace orvy::detail {

namespace {

constexpr int any_kind = -1;
constexpr int no_kind = -2; // a type name no widget has: never matches

struct CompiledCompound {
    int kind = any_kind;
    std::string const* class_name = nullptr;
    bool child = false;
};

std::vector<CompiledCompound> compile(Rule const& rule)
{
    std::vector<CompiledCompound> compiled;
    compiled.reserve(rule.compounds.size());
    for (Compound const& compound : rule.compounds) {
        CompiledCompound c;
        if (compound.type) {
            auto kind = kind_from_name(*compound.type);
            c.kind = kind ? static_cast<int>(*kind) : no_kind;
        }
        c.class_name = compound.class_name ? &*compound.class_name : nullptr;
        c.child = compound.child;
        compiled.push_back(c);
    }
    return compiled;
}

bool matches(Node const& node, CompiledCompound const& compound)
{
    if (compound.kind != any_kind && compound.kind != static_cast<int>(node.kind()))
        return false;
    if (compound.class_name && (!node.extras().class_name || *node.extras().class_name != *compound.class_name))
        return false;
    return true;
}

// From right to left; a descendant step takes the nearest matching ancestor
// and never reconsiders it.
bool rule_applies(Tree const& tree, std::vector<CompiledCompound> const& compounds, NodeId id)
{
    if (!matches(tree.node(id), compounds.back()))
        return false;
    NodeId current = id;
    for (std::size_t i = compounds.size() - 1; i-- > 0;) {
        std::optional<NodeId> ancestor = tree.node(current).parent;
        if (compounds[i + 1].child) {
            if (!ancestor || !matches(tree.node(*ancestor), compounds[i]))
                return false;
        } else {
            while (ancestor && !matches(tree.node(*ancestor), compounds[i]))
                ancestor = tree.node(*ancestor).parent;
            if (!ancestor)
                return false;
        }
        current = *ancestor;
    }
    return true;
}

std::vector<NodeId> const empty_bucket;

}

struct NodeIndex {
    std::array<std::vector<NodeId>, kind_count> by_kind;
    std::unordered_map<std::string_view, std::vector<NodeId>> by_class;

    explicit NodeIndex(Tree const& tree)
    {
        for (NodeId id = 0; id < tree.size(); ++id) {
            Node const& node = tree.node(id);
            by_kind[static_cast<std::size_t>(node.kind())].push_back(id);
            if (node.extras().class_name)
                by_class[*node.extras().class_name].push_back(id);
        }
    }
};

RuleMatcher::RuleMatcher(Tree const& tree, MatchStrategy strategy)
    : m_tree(tree)
{
    if (strategy == MatchStrategy::Indexed)
        m_index = std::make_unique<NodeIndex>(tree);
}

RuleMatcher::~RuleMatcher() = default;

void RuleMatcher::match(Rule const& rule, std::vector<NodeId>& out) const
{
    out.clear();
    std::vector<CompiledCompound> const compounds = compile(rule);
    CompiledCompound const& last = compounds.back();
    if (last.kind == no_kind)
        return;
    // The smaller of the buckets the last compound restricts to; both are
    // ascending, and every candidate still goes through the full match.
    std::vector<NodeId> const* candidates = nullptr;
    if (m_index && last.kind != any_kind)
        candidates = &m_index->by_kind[static_cast<std::size_t>(last.kind)];
    if (m_index && last.class_name) {
        auto it = m_index->by_class.find(*last.class_name);
        std::vector<NodeId> const* bucket = it == m_index->by_class.end() ? &empty_bucket : &it->second;
        if (!candidates || bucket->size() < candidates->size())
            candidates = bucket;
    }
    if (!candidates) {
        for (NodeId id = 0; id < m_tree.size(); ++id) {
            if (rule_applies(m_tree, compounds, id))
                out.push_back(id);
        }
        return;
    }
    for (NodeId id : *candidates) {
        if (rule_applies(m_tree, compounds, id))
            out.push_back(id);
    }
}

std::vector<std::vector<NodeId>> match_rules(Tree const& tree, ParsedSheet const& sheet, MatchStrategy strategy)
{
    RuleMatcher matcher(tree, strategy);
    std::vector<std::vector<NodeId>> matched(sheet.rules.size());
    for (std::size_t r = 0; r < sheet.rules.size(); ++r)
        matcher.match(sheet.rules[r], matched[r]);
    return matched;
}

}
