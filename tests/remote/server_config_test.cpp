#include "remote/server_config.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vemo::remote {
namespace {

TEST(AllowList, AddressesAndRangesOrNothingAtAll) {
    auto list = AllowList::parse(" 10.0.0.0/8, 192.168.1.77/24 ,127.0.0.1");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->describe(), "10.0.0.0/8, 192.168.1.0/24, 127.0.0.1");
    EXPECT_TRUE(list->allows(0x0AFF0102));   // 10.255.1.2
    EXPECT_TRUE(list->allows(0xC0A801FE));   // 192.168.1.254
    EXPECT_TRUE(list->allows(0x7F000001));   // 127.0.0.1
    EXPECT_FALSE(list->allows(0x7F000002));  // 127.0.0.2
    EXPECT_FALSE(list->allows(0xC0A80201));  // 192.168.2.1
    EXPECT_TRUE(AllowList::parse("0.0.0.0/0")->allows(0xFFFFFFFF));
    EXPECT_EQ(AllowList().describe(), "anywhere");
    for (const char* bad : {"", " ", "localhost", "999.1.1.1", "10.0.0.1,", "10.0.0.1,,10.0.0.2",
                            "10.0.0.0/33", "10.0.0.0/", "10.0.0.0/8/8", "::1", "10.0.0.1 10.0.0.2"})
        EXPECT_FALSE(AllowList::parse(bad)) << '"' << bad << '"';
}

// Every server key that is set but cannot be used is refused, naming the key; none falls
// back to listening everywhere or nowhere.
TEST(ServerConfig, KeysThatCannotBeUsedNameTheKey) {
    EXPECT_TRUE(serverConfig(core::Settings{}).config->allow.anyone());
    const std::vector<std::pair<std::function<void(core::Settings&)>, std::string>> cases = {
        {[](core::Settings& s) { s.serveraddress = "localhost"; }, "ServerAddress"},
        {[](core::Settings& s) { s.serveraddress = "127.0.0.1 "; }, "ServerAddress"},
        {[](core::Settings& s) { s.serveraddress = "999.1.1.1"; }, "ServerAddress"},
        {[](core::Settings& s) { s.serveraddressset = true; }, "ServerAddress"},
        {[](core::Settings& s) { s.ServerAllow = ""; }, "ServerAllow"},
        {[](core::Settings& s) { s.ServerPort = "70000"; }, "ServerPort"},
        {[](core::Settings& s) { s.ServerIdleTimeout = "-5"; }, "ServerIdleTimeout"},
    };
    for (const auto& [set, key] : cases) {
        core::Settings s;
        set(s);
        ServerConfigResult r = serverConfig(s);
        EXPECT_FALSE(r.config) << key;
        EXPECT_EQ(r.key, key) << r.error;
    }
}

}  // namespace
}  // namespace vemo::remote
