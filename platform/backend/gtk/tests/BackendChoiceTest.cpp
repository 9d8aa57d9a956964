// The choice of backend at program start.

#include "platform/backend/Start.h"

#include "platform/backend/headless/Headless.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Sets or clears environment variables for one test and puts them back after it.
class Env {
public:
    void Set(const char* name, const char* value)
    {
        if (!Saved.count(name)) {
            const char* old = std::getenv(name);
            Saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~Env()
    {
        for (auto& [name, value] : Saved)
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
    }

private:
    std::map<std::string, std::optional<std::string>> Saved;
};

TEST(BackendChoice, EndsHeadlessWithAClearMessageWhenNoDesktopCanBeHad)
{
    struct Case {
        const char* Backend;
        const char* Display;
        const char* Message; // on stderr; nullptr: silent
    };
    const Case cases[] = {
        {"headless", ":0", nullptr},
        {nullptr, nullptr, "no display"},
        {"gtk", nullptr, "cannot open the display"},
        {"gtk", "unix:/nonexistent/display", "cannot open the display"},
        {"quartz", ":0", "unknown PLATFORM_BACKEND \"quartz\""},
    };
    for (const Case& c : cases) {
        Env env;
        env.Set("PLATFORM_BACKEND", c.Backend);
        env.Set("DISPLAY", c.Display);
        env.Set("WAYLAND_DISPLAY", nullptr);
        testing::internal::CaptureStderr();
        std::string name = StartPlatformBackend();
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(name, "headless") << (c.Backend ? c.Backend : "(unset)");
        ASSERT_NE(Headless(), nullptr);
        EXPECT_TRUE(Backend().IsVirtualClock());
        if (c.Message) {
            EXPECT_NE(err.find(c.Message), std::string::npos) << err;
            EXPECT_NE(err.find("running headless"), std::string::npos) << err;
        } else {
            EXPECT_EQ(err, "");
        }
    }
}

TEST(BackendChoice, TheHeadlessScreenStartsClean)
{
    Env env;
    env.Set("PLATFORM_BACKEND", "headless");
    StartPlatformBackend();
    HWND stale = CreateWindowEx(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    StartPlatformBackend();
    EXPECT_FALSE(IsWindow(stale));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

} // namespace
