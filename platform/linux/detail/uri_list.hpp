// The entries of a dropped text/uri-list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvy::linux_platform::detail {

// The list's entries in order, comments and blank lines left out. A file
// URI of this machine (no host, "localhost" or `own_host`) becomes its
// decoded path; every other entry (another scheme, another host, a path
// that cannot be one) is kept as written, so the receiver still learns of it.
std::vector<std::string> uri_list_entries(std::string_view list, std::string_view own_host);

// The local path a file URI names, or "" when it names none.
std::string local_path_of_uri(std::string_view uri, std::string_view own_host);

}
