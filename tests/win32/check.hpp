// A small check harness for the Windows test program, which runs under Wine
// where no test framework is installed: named cases, checks that report the
// expression and carry on, and a summary as the exit status.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace orvy::win32_test {

struct Case {
    char const* name;
    std::function<void()> body;
};

inline std::vector<Case>& cases()
{
    static std::vector<Case> all;
    return all;
}

inline int& failures()
{
    static int count = 0;
    return count;
}

struct Register {
    Register(char const* name, std::function<void()> body) { cases().push_back({ name, std::move(body) }); }
};

inline bool check(bool ok, char const* expression, char const* file, int line)
{
    if (!ok) {
        ++failures();
        std::printf("  FAILED %s:%d: %s\n", file, line, expression);
        std::fflush(stdout);
    }
    return ok;
}

}

#define ORVY_JOIN2(a, b) a##b
#define ORVY_JOIN(a, b) ORVY_JOIN2(a, b)
#define TEST_CASE(name)                                                                                              \
    static void name();                                                                                              \
    static ::orvy::win32_test::Register ORVY_JOIN(register_, name)(#name, name);                                     \
    static void name()
#define CHECK(expression) ::orvy::win32_test::check(static_cast<bool>(expression), #expression, __FILE__, __LINE__)
