#include "remote/server_config.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vemo::remote {
namespace {

constexpr std::uint32_t ip(int a, int b, int c, int d) {
    return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(b) << 16 |
           static_cast<std::uint32_t>(c) << 8 | static_cast<std::uint32_t>(d);
}

TEST(AllowList, AddressesAndRanges) {
    struct Case {
        const char* text;
        std::string described;
        std::vector<std::uint32_t> allowed;
        std::vector<std::uint32_t> refused;
    };
    const std::vector<Case> cases = {
        {"127.0.0.1", "127.0.0.1", {ip(127, 0, 0, 1)}, {ip(127, 0, 0, 2), ip(10, 0, 0, 1)}},
        {"10.0.0.0/8, 192.168.1.7",
         "10.0.0.0/8, 192.168.1.7",
         {ip(10, 255, 1, 2), ip(192, 168, 1, 7)},
         {ip(11, 0, 0, 0), ip(192, 168, 1, 8)}},
        {" 192.168.1.77/24 ", "192.168.1.0/24", {ip(192, 168, 1, 1)}, {ip(192, 168, 2, 1)}},
        {"0.0.0.0/0", "0.0.0.0/0", {ip(1, 2, 3, 4), ip(255, 255, 255, 255)}, {}},
    };
    for (const Case& c : cases) {
        auto list = AllowList::parse(c.text);
        ASSERT_TRUE(list) << c.text;
        EXPECT_FALSE(list->anyone());
        EXPECT_EQ(list->describe(), c.described);
        for (auto a : c.allowed)
            EXPECT_TRUE(list->allows(a)) << c.text << " " << a;
        for (auto a : c.refused)
            EXPECT_FALSE(list->allows(a)) << c.text << " " << a;
    }
    EXPECT_TRUE(AllowList().anyone());
    EXPECT_EQ(AllowList().describe(), "anywhere");
}

TEST(AllowList, MalformedListsAreRefusedWhole) {
    for (const char* bad : {"", " ", "localhost", "999.1.1.1", "10.0.0.1,", ",10.0.0.1",
                            "10.0.0.1,,10.0.0.2", "10.0.0.0/33", "10.0.0.0/", "10.0.0.0/-1",
                            "10.0.0.0/8/8", "10.0.0", "::1", "10.0.0.1 10.0.0.2"}) {
        EXPECT_FALSE(AllowList::parse(bad)) << '"' << bad << '"';
    }
}

// Every server key that is set but cannot be used is refused, naming the key; none falls
// back to listening everywhere or nowhere.
TEST(ServerConfig, KeysThatCannotBeUsedNameTheKey) {
    struct Case {
        std::function<void(core::Settings&)> set;
        std::string key;
    };
    const std::vector<Case> cases = {
        {[](core::Settings& s) { s.serveraddress = "localhost"; }, "ServerAddress"},
        {[](core::Settings& s) { s.serveraddress = "127.0.0.1 "; }, "ServerAddress"},
        {[](core::Settings& s) { s.serveraddress = "999.1.1.1"; }, "ServerAddress"},
        {[](core::Settings& s) { s.serveraddressset = true; }, "ServerAddress"},
        {[](core::Settings& s) { s.ServerAllow = "10.0.0.0/33"; }, "ServerAllow"},
        {[](core::Settings& s) { s.ServerAllow = ""; }, "ServerAllow"},
        {[](core::Settings& s) { s.ServerPort = "70000"; }, "ServerPort"},
        {[](core::Settings& s) { s.ServerIdleTimeout = "-5"; }, "ServerIdleTimeout"},
        {[](core::Settings& s) { s.ServerIdleTimeout = "0"; }, "ServerIdleTimeout"},
    };
    for (const Case& c : cases) {
        core::Settings s;
        c.set(s);
        ServerConfigResult r = serverConfig(s);
        EXPECT_FALSE(r.config) << c.key;
        EXPECT_EQ(r.error.rfind(c.key + " ", 0), 0u) << r.error;
    }
}

TEST(ServerConfig, UnsetKeysServeEveryoneEverywhereWithoutTimeout) {
    ServerConfigResult r = serverConfig(core::Settings{});
    ASSERT_TRUE(r.config);
    EXPECT_EQ(r.config->host, "0.0.0.0");
    EXPECT_TRUE(r.config->allow.anyone());
    EXPECT_EQ(r.config->idleTimeoutSeconds, 0);
    // A vanished client is noticed within 30 s.
    const KeepAlive& k = r.config->keepAlive;
    EXPECT_LE(k.idleSeconds + k.intervalSeconds * k.count, 30);

    core::Settings s;
    s.serveraddress = "::1";
    s.ServerIdleTimeout = "600";
    s.ServerAllow = "127.0.0.1";
    r = serverConfig(s);
    ASSERT_TRUE(r.config) << r.error;
    EXPECT_EQ(r.config->host, "::1");
    EXPECT_EQ(r.config->idleTimeoutSeconds, 600);
    EXPECT_EQ(r.config->allow.describe(), "127.0.0.1");
}

}  // namespace
}  // namespace vemo::remote
