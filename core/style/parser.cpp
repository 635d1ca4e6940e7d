// The sheet parser: comments, rules, declarations, selector lists, compounds,
// specificity and the cascade order.
#include "core/style/css.hpp"
#include "core/style/detail/text.hpp"

#include <algorithm>
#include <limits>

namespace orvy {

namespace {

std::uint32_t saturating_add(std::uint32_t a, std::uint32_t b)
{
    return a > std::numeric_limits<std::uint32_t>::max() - b ? std::numeric_limits<std::uint32_t>::max() : a + b;
}

std::vector<Declaration> parse_declarations(std::string_view block)
{
    std::vector<Declaration> declarations;
    std::size_t start = 0;
    while (start <= block.size()) {
        std::size_t end = std::min(block.find(';', start), block.size());
        std::string_view piece = block.substr(start, end - start);
        start = end + 1;
        std::size_t colon = piece.find(':');
        if (colon == std::string_view::npos)
            continue;
        std::string_view name = detail::trim(piece.substr(0, colon));
        if (name.empty())
            continue;
        declarations.push_back({ detail::lower_case(name), std::string(detail::trim(piece.substr(colon + 1))) });
    }
    return declarations;
}

// ">" is a token of its own even without spaces around it; whitespace
// separates the other tokens.
std::vector<std::string_view> selector_tokens(std::string_view part)
{
    std::vector<std::string_view> tokens;
    std::size_t start = std::string_view::npos;
    auto flush = [&](std::size_t at) {
        if (start != std::string_view::npos)
            tokens.push_back(part.substr(start, at - start));
        start = std::string_view::npos;
    };
    for (std::size_t at = 0; at < part.size();) {
        if (part[at] == '>') {
            flush(at);
            tokens.push_back(part.substr(at, 1));
            ++at;
        } else if (std::size_t n = detail::whitespace_length(part, at)) {
            flush(at);
            at += n;
        } else {
            if (start == std::string_view::npos)
                start = at;
            ++at;
        }
    }
    flush(part.size());
    return tokens;
}

struct ParsedCompound {
    Compound compound;
    RuleState state = RuleState::None;
};

ParsedCompound parse_compound(std::string_view token)
{
    ParsedCompound parsed;
    std::string_view base = token;
    if (std::size_t colon = token.find(':'); colon != std::string_view::npos) {
        std::string_view pseudo = token.substr(colon + 1);
        base = token.substr(0, colon);
        if (pseudo == "hover")
            parsed.state = RuleState::Hover;
        else if (pseudo == "focus")
            parsed.state = RuleState::Focus;
    }
    std::string_view type = base;
    if (std::size_t dot = base.find('.'); dot != std::string_view::npos) {
        type = base.substr(0, dot);
        parsed.compound.class_name = std::string(base.substr(dot + 1));
    }
    if (!type.empty() && type != "*")
        parsed.compound.type = detail::lower_case(type);
    return parsed;
}

}

std::string strip_comments(std::string_view text)
{
    std::string clean;
    clean.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t open = text.find("/*", at);
        if (open == std::string_view::npos) {
            clean.append(text.substr(at));
            break;
        }
        clean.append(text.substr(at, open - at));
        std::size_t close = text.find("*/", open + 2);
        if (close == std::string_view::npos)
            break;
        at = close + 2;
    }
    return clean;
}

ParsedSheet parse_sheet(std::string_view text)
{
    ParsedSheet sheet;
    std::string const clean = strip_comments(text);
    std::string_view rest = clean;
    std::uint32_t source_index = 0;
    while (true) {
        std::size_t open = rest.find('{');
        if (open == std::string_view::npos)
            break;
        std::size_t close = rest.find('}', open + 1);
        if (close == std::string_view::npos)
            break;
        std::string_view selectors = rest.substr(0, open);
        std::string_view block = rest.substr(open + 1, close - open - 1);
        rest.remove_prefix(close + 1);

        std::vector<Declaration> declarations = parse_declarations(block);
        if (declarations.empty())
            continue;
        auto block_index = static_cast<std::uint32_t>(sheet.blocks.size());
        bool block_used = false;

        std::size_t part_start = 0;
        while (part_start <= selectors.size()) {
            std::size_t part_end = std::min(selectors.find(',', part_start), selectors.size());
            std::string_view part = selectors.substr(part_start, part_end - part_start);
            part_start = part_end + 1;

            Rule rule;
            bool child_pending = false;
            for (std::string_view token : selector_tokens(part)) {
                if (token == ">") {
                    child_pending = true;
                    continue;
                }
                ParsedCompound parsed = parse_compound(token);
                parsed.compound.child = std::exchange(child_pending, false);
                rule.specificity = saturating_add(rule.specificity,
                    (parsed.compound.type ? 10u : 0u) + (parsed.compound.class_name ? 100u : 0u)
                        + (parsed.state != RuleState::None ? 100u : 0u));
                if (parsed.state != RuleState::None)
                    rule.state = parsed.state;
                rule.compounds.push_back(std::move(parsed.compound));
            }
            if (rule.compounds.empty())
                continue;
            rule.block = block_index;
            rule.source_index = source_index++;
            sheet.rules.push_back(std::move(rule));
            block_used = true;
        }
        if (block_used)
            sheet.blocks.push_back(std::move(declarations));
    }
    // Source indices are unique, so this order is total and any sort gives it.
    std::sort(sheet.rules.begin(), sheet.rules.end(), [](Rule const& a, Rule const& b) {
        return a.specificity != b.specificity ? a.specificity < b.specificity : a.source_index < b.source_index;
    });
    return sheet;
}

}
