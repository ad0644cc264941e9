// The disk-recorder server's settings keys.
#include "recorder/recorder_config.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace vemo::recorder {
namespace {

struct ConfigCase {
    std::map<std::string, std::string> keys;
    const char* errorKey;  // "" for a usable configuration
};

TEST(RecorderConfigTest, KeysAreCheckedAndTheKeyToChangeIsNamed) {
    const ConfigCase cases[] = {
        {{{"RecorderServerPort", "9993"}}, ""},
        {{{"RecorderServerPort", "99999"}}, "RecorderServerPort"},
        {{{"RecorderServerPort", "9993"}, {"RecorderServerClients", "0"}}, "RecorderServerClients"},
        {{{"RecorderServerPort", "9993"}, {"RecorderServerClients", "65"}},
         "RecorderServerClients"},
        {{{"RecorderServerPort", "9993"}, {"RecorderServerRecord", "sometimes"}},
         "RecorderServerRecord"},
        {{{"RecorderServerPort", "9993"}, {"ServerAllow", "everyone"}}, "ServerAllow"},
        {{{"RecorderServerPort", "9993"}, {"ServerAddress", "deck.local"}}, "ServerAddress"},
    };
    for (const ConfigCase& c : cases) {
        std::map<std::string, std::string> keys = c.keys;
        keys.emplace("VCRType", "RECON");
        RecorderConfigResult r = recorderConfig(core::applyProps(keys));
        SCOPED_TRACE(c.errorKey);
        EXPECT_FALSE(r.off);
        EXPECT_EQ(r.key, c.errorKey) << r.error;
        EXPECT_EQ(r.config.has_value(), *c.errorKey == '\0');
    }
}

TEST(RecorderConfigTest, OffWithoutAPortAndSafeByDefault) {
    EXPECT_TRUE(recorderConfig(core::Settings::forDeck("RECON")).off);
    auto on = recorderConfig(core::applyProps(
        {{"VCRType", "RECON"}, {"RecorderServerPort", "9993"}, {"ServerAllow", "192.168.1.0/24"}}));
    ASSERT_TRUE(on.config);
    EXPECT_EQ(on.config->port, 9993);
    EXPECT_EQ(on.config->clients, 4);
    EXPECT_FALSE(on.config->recordAllowed);
    EXPECT_EQ(on.config->server.allow.describe(), "192.168.1.0/24");
    auto record = recorderConfig(core::applyProps({{"RecorderServerPort", "9993"},
                                                   {"RecorderServerClients", "8"},
                                                   {"RecorderServerRecord", "yes"}}));
    ASSERT_TRUE(record.config);
    EXPECT_EQ(record.config->clients, 8);
    EXPECT_TRUE(record.config->recordAllowed);
}

}  // namespace
}  // namespace vemo::recorder
