// Runs the cases named on the command line (all when none are named) and
// reports each; the driver script reads the lines it prints.
#include "tests/win32/check.hpp"
#include "tests/win32/options.hpp"

#include <cstring>

#include <windows.h>

namespace orvy::win32_test {

Options& options()
{
    static Options all;
    return all;
}

}

int main(int argc, char** argv)
{
    using namespace orvy::win32_test;
    std::vector<std::string> wanted;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (auto equals = argument.find('='); argument.rfind("--", 0) == 0 && equals != std::string::npos)
            options().values[argument.substr(2, equals - 2)] = argument.substr(equals + 1);
        else
            wanted.push_back(argument);
    }
    int ran = 0;
    for (Case const& test : cases()) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), test.name) == wanted.end())
            continue;
        int before = failures();
        std::printf("CASE %s\n", test.name);
        std::fflush(stdout);
        test.body();
        std::printf("%s %s\n", failures() == before ? "PASS" : "FAIL", test.name);
        std::fflush(stdout);
        ++ran;
    }
    std::printf("DONE %d cases, %d failed checks\n", ran, failures());
    std::fflush(stdout);
    return failures() == 0 && ran > 0 ? 0 : 1;
}
