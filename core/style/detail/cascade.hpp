// Internals of the cascade shared with tests and benchmarks: the two ways of
// finding the nodes a rule applies to.
#pragma once

#include "core/style/css.hpp"

#include <memory>
#include <vector>

namespace orvy::detail {

enum class MatchStrategy : std::uint8_t {
    Plain,   // every rule against every node
    Indexed, // only the nodes whose kind or class can match the rule's last compound
};

struct NodeIndex;

// Finds the nodes a rule applies to. Matching reads only kinds, classes and
// parents, which styling never changes, so one matcher serves a whole cascade.
class RuleMatcher {
public:
    RuleMatcher(Tree const& tree, MatchStrategy strategy);
    ~RuleMatcher();
    RuleMatcher(RuleMatcher const&) = delete;
    RuleMatcher& operator=(RuleMatcher const&) = delete;

    // Replaces `out` with the ids of the matching nodes, ascending.
    void match(Rule const& rule, std::vector<NodeId>& out) const;

private:
    Tree const& m_tree;
    std::unique_ptr<NodeIndex> m_index; // absent for the plain strategy
};

// For each rule of the sheet, in the sheet's order, the ids of the nodes it
// applies to, ascending.
std::vector<std::vector<NodeId>> match_rules(Tree const& tree, ParsedSheet const& sheet, MatchStrategy strategy);

void cascade_with(Tree& tree, std::string_view sheet_text, FontFamilyTable& families, MatchStrategy strategy);

}
