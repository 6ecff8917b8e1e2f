// SPDX-License-Identifier: MIT
#include "sim/StateFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <unistd.h>

namespace rv::sim {
namespace {

using json = nlohmann::ordered_json;

std::vector<SimUnit> EditedUnits()
{
    std::vector<SimUnit> units = {MakeFactoryUnit(1), MakeFactoryUnit(2, "测试主机")};
    SimUnit& u = units[0];
    u.mac = {0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F};
    u.ip = 0x0A000001;
    u.net.tail[0] = 0xEE;
    u.net.reserved13[5] = 0x01;
    // A text that fills its field without a terminator, and one with an old tail after its end.
    std::fill(u.params.channels[4].name1.begin(), u.params.channels[4].name1.begin() + 20, 'A');
    u.params.led.headerText = {'H', 'i', 0, 'o', 'l', 'd'};
    // Bytes that are not GBK.
    u.params.channels[5].unit2 = {0xFF, 0xFF};
    u.params.base.longitude = std::numeric_limits<float>::infinity();
    u.params.channels[0].upper1 = -0.1f;
    u.params.channels[0].source = 242;
    u.params.gprs.phones[4] = {'1', '2', '3'};
    return units;
}

TEST(StateFileTest, StateSurvivesJsonTextByteForByte)
{
    const std::vector<SimUnit> units = EditedUnits();
    std::string error;
    const auto back = StateFromJson(json::parse(StateToJson(units).dump()), error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(*back, units);
}

TEST(StateFileTest, StateReadsLikeTheUnit)
{
    const json j = StateToJson({MakeFactoryUnit(1)});
    const json& u = j["units"][0];
    EXPECT_EQ(u["name"], "一号机房监控主机");
    EXPECT_EQ(u["mac"], "02-3C-7A-00-00-01");
    EXPECT_EQ(u["ip"], "192.168.0.10");
    EXPECT_EQ(u["net"]["staticIp"], "192.168.0.10");
    EXPECT_EQ(u["channels"][0]["name1"], "温度");
    EXPECT_EQ(u["channels"][0]["unit1"], "℃");
    EXPECT_EQ(u["channels"][0]["unit2"], "%RH");
    EXPECT_EQ(u["led"]["headerText"], "环境监测");
    EXPECT_EQ(u["base"]["terminalAddress"], "20240001");
    EXPECT_EQ(u["base"]["longitude"].dump(), "116.407");
    EXPECT_EQ(u["channels"].size(), 32u);
    EXPECT_EQ(u["relays"].size(), 8u);
    EXPECT_EQ(u["slots"].size(), 32u);
}

TEST(StateFileTest, MissingFieldsAreFactorySettings)
{
    std::string error;
    const auto units = StateFromJson(json::parse(R"({"units": [{"number": 5, "name": "试验", "relays":
        [{"mode": 2}, {}, {}, {}, {}, {}, {}, {}]}]})"),
                                     error);
    ASSERT_TRUE(units) << error;
    SimUnit expected = MakeFactoryUnit(5);
    expected.name = "试验";
    expected.params.relays[0].mode = 2;
    EXPECT_EQ(units->at(0), expected);
}

TEST(StateFileTest, BadStatesAreRefusedWithThePath)
{
    struct Case
    {
        const char* text;
        const char* inError;
    };
    const Case cases[] = {
        {R"([])", "units"},
        {R"({"units": []})", "units"},
        {R"({"version": 2, "units": [{"number": 1}]})", "version"},
        {R"({"units": [{"name": "x"}]})", "units[0].number"},
        {R"({"units": [{"number": 1, "mac": "02:3C:7A:00:00:01"}]})", "units[0].mac"},
        {R"({"units": [{"number": 1, "ip": "192.168.0.256"}]})", "units[0].ip"},
        {R"({"units": [{"number": 1, "channels": [{}]}]})", "units[0].channels"},
        {R"({"units": [{"number": 1}, {"number": 2, "relays": [{"mode": 256}, {}, {}, {}, {}, {}, {}, {}]}]})",
         "units[1].relays[0].mode"},
        {R"({"units": [{"number": 1, "net": {"tail": "00"}}]})", "units[0].net.tail"},
        {R"({"units": [{"number": 1, "led": {"headerText": {"hex": "zz"}}}]})", "units[0].led.headerText"},
        {R"({"units": [{"number": 1, "base": {"latitude": "north"}}]})", "units[0].base.latitude"},
        {R"({"units": [{"number": 1, "gprs": {"phones": ["1", "2"]}}]})", "units[0].gprs.phones"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(StateFromJson(json::parse(c.text), error)) << c.text;
        EXPECT_NE(error.find(c.inError), std::string::npos) << c.text << " gave: " << error;
    }
}

TEST(StateFileTest, FileRoundTripAndUnreadableFiles)
{
    const auto dir = std::filesystem::temp_directory_path() / ("rvunit-sim-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "state.json").string();
    const std::vector<SimUnit> units = EditedUnits();

    std::string error;
    ASSERT_TRUE(SaveStateFile(path, units, error)) << error;
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    const auto loaded = LoadStateFile(path, error);
    ASSERT_TRUE(loaded) << error;
    EXPECT_EQ(*loaded, units);

    std::ofstream(path) << "{\"units\": [";
    EXPECT_FALSE(LoadStateFile(path, error));
    EXPECT_NE(error.find("not valid JSON"), std::string::npos);
    EXPECT_FALSE(LoadStateFile((dir / "missing.json").string(), error));
    EXPECT_FALSE(SaveStateFile((dir / "no" / "such" / "dir.json").string(), units, error));
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace rv::sim
