// What the driver hands the test program: --name=value pairs.
#pragma once

#include <algorithm>
#include <map>
#include <string>

namespace orvy::win32_test {

struct Options {
    std::map<std::string, std::string> values;
    std::string get(std::string const& name, std::string fallback = {}) const
    {
        auto found = values.find(name);
        return found == values.end() ? fallback : found->second;
    }
};

Options& options();

}
