#include "data/LargePages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace {

std::optional<std::string> Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void SetEnv(const char* name, const std::optional<std::string>& value) {
    value ? setenv(name, value->c_str(), 1) : unsetenv(name);
}

// The restarted program hands the user's own settings on to what it starts, and a
// setting the user made decides without a restart (no case here may restart the test).
TEST(LargeHeapPages, RestartedProgramGetsTheUsersEnvironmentBack) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer's allocator is never restarted";
#endif
    const auto keepTunables = Env("GLIBC_TUNABLES");
    const auto keepSaved = Env("QUORVANT_SAVED_TUNABLES");
    struct Case { std::optional<std::string> saved, tunables, expected; };
    const Case cases[] = {
        {"-", "glibc.malloc.hugetlb=1", std::nullopt},
        {"glibc.malloc.check=0", "glibc.malloc.check=0:glibc.malloc.hugetlb=1", "glibc.malloc.check=0"},
        {"", "glibc.malloc.hugetlb=1", ""},
        {std::nullopt, "glibc.malloc.hugetlb=0", "glibc.malloc.hugetlb=0"}};
    char arg0[] = "quorvant"; char* argv[] = {arg0, nullptr};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tunables.value_or("unset"));
        SetEnv("QUORVANT_SAVED_TUNABLES", c.saved); SetEnv("GLIBC_TUNABLES", c.tunables);
        RestartWithLargeHeapPages(argv);
        EXPECT_EQ(Env("GLIBC_TUNABLES"), c.expected);
        EXPECT_EQ(Env("QUORVANT_SAVED_TUNABLES"), std::nullopt);
    }
    SetEnv("GLIBC_TUNABLES", keepTunables); SetEnv("QUORVANT_SAVED_TUNABLES", keepSaved);
}

} // namespace
