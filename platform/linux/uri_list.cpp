// Parsing a text/uri-list into local paths.
#include "platform/linux/detail/uri_list.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace orvy::linux_platform::detail {

namespace {

bool equal_ignoring_case(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// Escapes that are not two hexadecimal digits stay as written.
std::string percent_decoded(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned value = 0;
        if (text[i] == '%' && i + 2 < text.size()) {
            char const* digits = text.data() + i + 1;
            auto [end, error] = std::from_chars(digits, digits + 2, value, 16);
            if (error == std::errc() && end == digits + 2) {
                out += static_cast<char>(value);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string_view trimmed(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    return line;
}

}

std::string local_path_of_uri(std::string_view uri, std::string_view own_host)
{
    constexpr std::string_view scheme = "file:";
    if (uri.size() < scheme.size() || !equal_ignoring_case(uri.substr(0, scheme.size()), scheme))
        return {};
    std::string_view rest = uri.substr(scheme.size());
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos)
            return {};
        std::string_view host = rest.substr(0, slash);
        bool local = host.empty() || equal_ignoring_case(host, "localhost")
            || (!own_host.empty() && equal_ignoring_case(host, own_host));
        if (!local)
            return {};
        rest.remove_prefix(slash);
    }
    if (!rest.starts_with('/'))
        return {};
    std::string path = percent_decoded(rest);
    // No file name holds a NUL.
    if (path.find('\0') != std::string::npos)
        return {};
    return path;
}

std::vector<std::string> uri_list_entries(std::string_view list, std::string_view own_host)
{
    // Some sources end the list with a NUL.
    list = list.substr(0, list.find('\0'));
    std::vector<std::string> entries;
    while (!list.empty()) {
        std::size_t end = list.find('\n');
        std::string_view line = trimmed(list.substr(0, end));
        list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        std::string path = local_path_of_uri(line, own_host);
        entries.push_back(path.empty() ? std::string(line) : std::move(path));
    }
    return entries;
}

}
