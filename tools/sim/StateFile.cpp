// SPDX-License-Identifier: MIT
#include "sim/StateFile.h"

#include "protocol/Gbk.h"
#include "protocol/TextConv.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <span>
#include <unistd.h>

namespace rv::sim {
namespace {

using json = nlohmann::ordered_json;

constexpr int kFormatVersion = 1;

// ---- writing ----

std::string Hex(std::span<const std::uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

std::string Hex32(std::uint32_t v)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
}

// A text field as a string when the string gives the same bytes back, else its bytes.
json TextField(std::span<const std::uint8_t> field)
{
    const std::string utf8 = GbkFieldToUtf8(field);
    Bytes back = Utf8ToGbk(utf8, field.size());
    back.resize(field.size(), 0);
    if (std::equal(back.begin(), back.end(), field.begin())) {
        return utf8;
    }
    return json{{"hex", Hex(field)}};
}

json Float(float v)
{
    if (std::isfinite(v)) {
        // The shortest decimal that gives this float back (39.918, not 39.917999267578125).
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, v).ptr;
        return std::strtod(std::string(text, end).c_str(), nullptr);
    }
    char bits[9];
    std::snprintf(bits, sizeof bits, "%08x", std::bit_cast<std::uint32_t>(v));
    return json{{"f32", bits}};
}

json NetToJson(const NetRecord& n)
{
    return {
        {"ipMode", n.ipMode},
        {"staticIp", FormatDottedQuad(n.staticIp)},
        {"gateway", FormatDottedQuad(n.gateway)},
        {"subnetMask", FormatDottedQuad(n.subnetMask)},
        {"reserved13", Hex(n.reserved13)},
        {"maxConnections", n.maxConnections},
        {"server1SourcePort", n.server1SourcePort},
        {"server1ListenPort", n.server1ListenPort},
        {"server1Address", TextField(n.server1Address)},
        {"server2SourcePort", n.server2SourcePort},
        {"server2ListenPort", n.server2ListenPort},
        {"server2Address", TextField(n.server2Address)},
        {"tail", Hex(n.tail)},
    };
}

json BaseToJson(const BaseRecord& b)
{
    return {
        {"serverCount", b.serverCount},
        {"terminalAddress", Hex32(b.terminalAddress)}, // as the base page shows it
        {"loginInterval", b.loginInterval},
        {"heartbeatInterval", b.heartbeatInterval},
        {"dataInterval", b.dataInterval},
        {"baudRate", b.baudRate},
        {"channelCount", b.channelCount},
        {"normalRecordInterval", b.normalRecordInterval},
        {"alarmRecordInterval", b.alarmRecordInterval},
        {"storageType", b.storageType},
        {"positionEnabled", b.positionEnabled},
        {"longitude", Float(b.longitude)},
        {"latitude", Float(b.latitude)},
    };
}

json GprsToJson(const GprsRecord& g)
{
    json phones = json::array();
    for (const auto& slot : g.phones) {
        phones.push_back(TextField(std::span(slot).first(GprsRecord::kPhoneDigits)));
    }
    return {
        {"loginInterval", g.loginInterval},
        {"heartbeatInterval", g.heartbeatInterval},
        {"dataInterval", g.dataInterval},
        {"targetAddress", TextField(g.targetAddress)},
        {"targetPort", TextField(g.targetPort)},
        {"phoneMask", g.phoneMask},
        {"phones", phones},
        {"smsInterval", g.smsInterval},
        {"workType", g.workType},
    };
}

json ChannelToJson(const ChannelRecord& c)
{
    return {
        {"source", c.source},
        {"upper1", Float(c.upper1)},
        {"lower1", Float(c.lower1)},
        {"scaleA1", Float(c.scaleA1)},
        {"offsetB1", Float(c.offsetB1)},
        {"hysteresis1", Float(c.hysteresis1)},
        {"name1", TextField(std::span(c.name1).first(ChannelRecord::kNameSize))},
        {"unit1", TextField(std::span(c.unit1).first(ChannelRecord::kUnitSize))},
        {"upper2", Float(c.upper2)},
        {"lower2", Float(c.lower2)},
        {"scaleA2", Float(c.scaleA2)},
        {"offsetB2", Float(c.offsetB2)},
        {"hysteresis2", Float(c.hysteresis2)},
        {"name2", TextField(std::span(c.name2).first(ChannelRecord::kNameSize))},
        {"unit2", TextField(std::span(c.unit2).first(ChannelRecord::kUnitSize))},
        {"relayUpper1", c.relayUpper1},
        {"relayLower1", c.relayLower1},
        {"relayUpper2", c.relayUpper2},
        {"relayLower2", c.relayLower2},
        {"attribute", c.attribute},
        {"alarmDelay", c.alarmDelay},
        {"smsOnAlarm1", c.smsOnAlarm1},
        {"smsOnAlarm2", c.smsOnAlarm2},
        {"smsOnReset1", c.smsOnReset1},
        {"smsOnReset2", c.smsOnReset2},
    };
}

json LedToJson(const LedRecord& l)
{
    return {
        {"showDataTable", l.showDataTable},
        {"headerEnabled", l.headerEnabled},
        {"footerEnabled", l.footerEnabled},
        {"panelWidth", l.panelWidth},
        {"panelHeight", l.panelHeight},
        {"displayChannels", l.displayChannels},
        {"columnCount", l.columnCount},
        {"refreshSeconds", l.refreshSeconds},
        {"headerText", TextField(std::span(l.headerText).first(LedRecord::kTextSize))},
        {"footerText", TextField(std::span(l.footerText).first(LedRecord::kTextSize))},
    };
}

json UnitToJson(const SimUnit& u)
{
    json channels = json::array();
    for (const ChannelRecord& c : u.params.channels) {
        channels.push_back(ChannelToJson(c));
    }
    json relays = json::array();
    for (const RelayRecord& r : u.params.relays) {
        relays.push_back({{"mode", r.mode}, {"startInterval", r.startInterval}, {"duration", r.duration}});
    }
    json slots = json::array();
    for (const ModbusSlotRecord& s : u.params.modbusSlots) {
        slots.push_back({{"slaveAddress", s.slaveAddress},
                         {"enabled", s.enabled},
                         {"deviceType", s.deviceType},
                         {"registerStart", s.registerStart},
                         {"registerCount", s.registerCount}});
    }
    return {
        {"number", u.number},
        {"name", u.name},
        {"mac", FormatMacDashed(u.mac)},
        {"ip", FormatDottedQuad(u.ip)},
        {"firmware", u.firmware},
        {"net", NetToJson(u.net)},
        {"base", BaseToJson(u.params.base)},
        {"gprs", GprsToJson(u.params.gprs)},
        {"channels", channels},
        {"relays", relays},
        {"slots", slots},
        {"led", LedToJson(u.params.led)},
    };
}

// ---- reading ----

// Reads the fields of one object; a missing field keeps the value it has (the unit's factory
// setting), a field of the wrong type or range is an error naming its path.
class FieldReader
{
public:
    FieldReader(const json& object, std::string path, std::string& error)
        : m_object(object), m_path(std::move(path)), m_error(error)
    {
        if (!m_object.is_object()) {
            fail("", "an object");
        }
    }

    bool ok() const { return m_error.empty(); }
    const std::string& path() const { return m_path; }

    const json* find(const char* key) const
    {
        if (!ok() || !m_object.is_object()) {
            return nullptr;
        }
        auto it = m_object.find(key);
        return it == m_object.end() ? nullptr : &*it;
    }

    template <typename T>
    void integer(const char* key, T& out)
    {
        const json* v = find(key);
        if (v == nullptr) {
            return;
        }
        constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<T>::max());
        constexpr auto kMin = static_cast<std::int64_t>(std::numeric_limits<T>::min());
        if (v->is_number_unsigned()) {
            if (v->get<std::uint64_t>() <= kMax) {
                out = static_cast<T>(v->get<std::uint64_t>());
                return;
            }
        } else if (v->is_number_integer()) {
            const auto value = v->get<std::int64_t>();
            if (value >= kMin && (value < 0 || static_cast<std::uint64_t>(value) <= kMax)) {
                out = static_cast<T>(value);
                return;
            }
        }
        fail(key, "an integer from " + std::to_string(kMin) + " to " + std::to_string(kMax));
    }

    void real(const char* key, float& out)
    {
        const json* v = find(key);
        if (v == nullptr) {
            return;
        }
        if (v->is_number()) {
            out = static_cast<float>(v->get<double>());
            return;
        }
        std::uint32_t bits = 0;
        if (v->is_object() && v->contains("f32") && v->at("f32").is_string() &&
            ParseHex32(v->at("f32").get<std::string>(), bits)) {
            out = std::bit_cast<float>(bits);
            return;
        }
        fail(key, "a number or {\"f32\": 8 hex digits}");
    }

    // Eight hex digits; a plain integer is taken too.
    void hex32(const char* key, std::uint32_t& out)
    {
        const json* v = find(key);
        if (v == nullptr) {
            return;
        }
        if (v->is_string()) {
            if (!ParseHex32(v->get<std::string>(), out)) {
                fail(key, "8 hex digits");
            }
            return;
        }
        integer(key, out);
    }

    void string(const char* key, std::string& out)
    {
        const json* v = find(key);
        if (v == nullptr) {
            return;
        }
        if (!v->is_string()) {
            fail(key, "a string");
            return;
        }
        out = v->get<std::string>();
    }

    void text(const char* key, std::span<std::uint8_t> field) { textValue(find(key), key, field); }

    void textValue(const json* v, const std::string& key, std::span<std::uint8_t> field)
    {
        if (v == nullptr) {
            return;
        }
        if (v->is_string()) {
            const Bytes gbk = Utf8ToGbk(v->get<std::string>(), field.size());
            std::fill(field.begin(), field.end(), 0);
            std::copy(gbk.begin(), gbk.end(), field.begin());
        } else if (!(v->is_object() && v->contains("hex") && v->at("hex").is_string() &&
                     ParseBytes(v->at("hex").get<std::string>(), field))) {
            fail(key, "a string or {\"hex\": " + std::to_string(field.size() * 2) + " hex digits}");
        }
    }

    void bytes(const char* key, std::span<std::uint8_t> field)
    {
        const json* v = find(key);
        if (v == nullptr) {
            return;
        }
        if (!v->is_string() || !ParseBytes(v->get<std::string>(), field)) {
            fail(key, std::to_string(field.size() * 2) + " hex digits");
        }
    }

    void address(const char* key, std::uint32_t& out)
    {
        const json* v = find(key);
        if (v == nullptr) {
            return;
        }
        if (!v->is_string() || !ParseAddress(v->get<std::string>(), out)) {
            fail(key, "a dotted IPv4 address");
        }
    }

    void mac(const char* key, MacAddress& out)
    {
        const json* v = find(key);
        if (v == nullptr) {
            return;
        }
        std::optional<MacAddress> parsed;
        if (v->is_string() && v->get<std::string>().size() == 17) {
            parsed = ParseMacDashed(v->get<std::string>());
        }
        if (!parsed) {
            fail(key, "a MAC address like 02-3C-7A-00-00-01");
            return;
        }
        out = *parsed;
    }

    void fail(const std::string& key, const std::string& expected)
    {
        if (ok()) {
            m_error = (key.empty() ? m_path : m_path + "." + key) + ": expected " + expected;
        }
    }

private:
    static bool ParseHex32(const std::string& text, std::uint32_t& out)
    {
        if (text.size() != 8) {
            return false;
        }
        std::uint32_t v = 0;
        for (char c : text) {
            const std::uint8_t d = HexDigitValue(c);
            if (d == 0xFF) {
                return false;
            }
            v = (v << 4) | d;
        }
        out = v;
        return true;
    }

    static bool ParseBytes(const std::string& text, std::span<std::uint8_t> field)
    {
        if (text.size() != field.size() * 2) {
            return false;
        }
        for (std::size_t i = 0; i < field.size(); ++i) {
            const std::uint8_t hi = HexDigitValue(text[2 * i]);
            const std::uint8_t lo = HexDigitValue(text[2 * i + 1]);
            if (hi == 0xFF || lo == 0xFF) {
                return false;
            }
            field[i] = static_cast<std::uint8_t>((hi << 4) | lo);
        }
        return true;
    }

    static bool ParseAddress(const std::string& text, std::uint32_t& out)
    {
        std::uint32_t value = 0;
        std::uint32_t octet = 0;
        int digits = 0;
        int dots = 0;
        for (char c : text) {
            if (c >= '0' && c <= '9') {
                octet = octet * 10 + static_cast<std::uint32_t>(c - '0');
                if (++digits > 3 || octet > 255) {
                    return false;
                }
            } else if (c == '.' && digits > 0 && dots < 3) {
                value = (value << 8) | octet;
                octet = 0;
                digits = 0;
                ++dots;
            } else {
                return false;
            }
        }
        if (dots != 3 || digits == 0) {
            return false;
        }
        out = (value << 8) | octet;
        return true;
    }

    const json& m_object;
    std::string m_path;
    std::string& m_error;
};

// The elements of an array field, each read into its record; the array must have count items.
template <typename Record, std::size_t N, typename ReadOne>
void ReadTable(FieldReader& parent, const char* key, std::array<Record, N>& table, std::string& error, ReadOne readOne)
{
    const json* v = parent.find(key);
    if (v == nullptr) {
        return;
    }
    if (!v->is_array() || v->size() != N) {
        parent.fail(key, "an array of " + std::to_string(N));
        return;
    }
    for (std::size_t i = 0; i < N && error.empty(); ++i) {
        FieldReader item((*v)[i], parent.path() + "." + key + "[" + std::to_string(i) + "]", error);
        readOne(item, table[i]);
    }
}

void ReadNet(FieldReader r, NetRecord& n)
{
    r.integer("ipMode", n.ipMode);
    r.address("staticIp", n.staticIp);
    r.address("gateway", n.gateway);
    r.address("subnetMask", n.subnetMask);
    r.bytes("reserved13", n.reserved13);
    r.integer("maxConnections", n.maxConnections);
    r.integer("server1SourcePort", n.server1SourcePort);
    r.integer("server1ListenPort", n.server1ListenPort);
    r.text("server1Address", n.server1Address);
    r.integer("server2SourcePort", n.server2SourcePort);
    r.integer("server2ListenPort", n.server2ListenPort);
    r.text("server2Address", n.server2Address);
    r.bytes("tail", n.tail);
}

void ReadBase(FieldReader r, BaseRecord& b)
{
    r.integer("serverCount", b.serverCount);
    r.hex32("terminalAddress", b.terminalAddress);
    r.integer("loginInterval", b.loginInterval);
    r.integer("heartbeatInterval", b.heartbeatInterval);
    r.integer("dataInterval", b.dataInterval);
    r.integer("baudRate", b.baudRate);
    r.integer("channelCount", b.channelCount);
    r.integer("normalRecordInterval", b.normalRecordInterval);
    r.integer("alarmRecordInterval", b.alarmRecordInterval);
    r.integer("storageType", b.storageType);
    r.integer("positionEnabled", b.positionEnabled);
    r.real("longitude", b.longitude);
    r.real("latitude", b.latitude);
}

void ReadGprs(FieldReader r, GprsRecord& g, std::string& error)
{
    r.integer("loginInterval", g.loginInterval);
    r.integer("heartbeatInterval", g.heartbeatInterval);
    r.integer("dataInterval", g.dataInterval);
    r.text("targetAddress", g.targetAddress);
    r.text("targetPort", g.targetPort);
    r.integer("phoneMask", g.phoneMask);
    if (const json* phones = r.find("phones")) {
        if (!phones->is_array() || phones->size() != GprsRecord::kPhoneCount) {
            r.fail("phones", "an array of " + std::to_string(GprsRecord::kPhoneCount));
        }
        for (std::size_t k = 0; k < GprsRecord::kPhoneCount && error.empty(); ++k) {
            g.phones[k].fill(0);
            r.textValue(&(*phones)[k], "phones[" + std::to_string(k) + "]",
                        std::span(g.phones[k]).first(GprsRecord::kPhoneDigits));
        }
    }
    r.integer("smsInterval", g.smsInterval);
    r.integer("workType", g.workType);
    // The address and the port keep their terminators, as after a write.
    g.targetAddress.back() = 0;
    g.targetPort.back() = 0;
}

void ReadChannel(FieldReader& r, ChannelRecord& c)
{
    r.integer("source", c.source);
    r.real("upper1", c.upper1);
    r.real("lower1", c.lower1);
    r.real("scaleA1", c.scaleA1);
    r.real("offsetB1", c.offsetB1);
    r.real("hysteresis1", c.hysteresis1);
    r.text("name1", std::span(c.name1).first(ChannelRecord::kNameSize));
    r.text("unit1", std::span(c.unit1).first(ChannelRecord::kUnitSize));
    r.real("upper2", c.upper2);
    r.real("lower2", c.lower2);
    r.real("scaleA2", c.scaleA2);
    r.real("offsetB2", c.offsetB2);
    r.real("hysteresis2", c.hysteresis2);
    r.text("name2", std::span(c.name2).first(ChannelRecord::kNameSize));
    r.text("unit2", std::span(c.unit2).first(ChannelRecord::kUnitSize));
    r.integer("relayUpper1", c.relayUpper1);
    r.integer("relayLower1", c.relayLower1);
    r.integer("relayUpper2", c.relayUpper2);
    r.integer("relayLower2", c.relayLower2);
    r.integer("attribute", c.attribute);
    r.integer("alarmDelay", c.alarmDelay);
    r.integer("smsOnAlarm1", c.smsOnAlarm1);
    r.integer("smsOnAlarm2", c.smsOnAlarm2);
    r.integer("smsOnReset1", c.smsOnReset1);
    r.integer("smsOnReset2", c.smsOnReset2);
}

void ReadLed(FieldReader r, LedRecord& l)
{
    r.integer("showDataTable", l.showDataTable);
    r.integer("headerEnabled", l.headerEnabled);
    r.integer("footerEnabled", l.footerEnabled);
    r.integer("panelWidth", l.panelWidth);
    r.integer("panelHeight", l.panelHeight);
    r.integer("displayChannels", l.displayChannels);
    r.integer("columnCount", l.columnCount);
    r.integer("refreshSeconds", l.refreshSeconds);
    r.text("headerText", std::span(l.headerText).first(LedRecord::kTextSize));
    r.text("footerText", std::span(l.footerText).first(LedRecord::kTextSize));
}

std::optional<SimUnit> UnitFromJson(const json& j, const std::string& path, std::string& error)
{
    FieldReader r(j, path, error);
    std::uint32_t number = 0;
    r.integer("number", number);
    if (r.ok() && (number == 0 || number > kMaxUnits)) {
        r.fail("number", "a unit number from 1 to " + std::to_string(kMaxUnits));
    }
    if (!r.ok()) {
        return std::nullopt;
    }
    // Whatever the file leaves out is the unit's factory setting.
    SimUnit u = MakeFactoryUnit(number);
    r.string("name", u.name);
    r.mac("mac", u.mac);
    r.address("ip", u.ip);
    r.integer("firmware", u.firmware);
    if (const json* v = r.find("net")) {
        ReadNet(FieldReader(*v, path + ".net", error), u.net);
    }
    if (const json* v = r.find("base")) {
        ReadBase(FieldReader(*v, path + ".base", error), u.params.base);
    }
    if (const json* v = r.find("gprs")) {
        ReadGprs(FieldReader(*v, path + ".gprs", error), u.params.gprs, error);
    }
    ReadTable(r, "channels", u.params.channels, error, ReadChannel);
    ReadTable(r, "relays", u.params.relays, error, [](FieldReader& item, RelayRecord& rr) {
        item.integer("mode", rr.mode);
        item.integer("startInterval", rr.startInterval);
        item.integer("duration", rr.duration);
    });
    ReadTable(r, "slots", u.params.modbusSlots, error, [](FieldReader& item, ModbusSlotRecord& s) {
        item.integer("slaveAddress", s.slaveAddress);
        item.integer("enabled", s.enabled);
        item.integer("deviceType", s.deviceType);
        item.integer("registerStart", s.registerStart);
        item.integer("registerCount", s.registerCount);
    });
    if (const json* v = r.find("led")) {
        ReadLed(FieldReader(*v, path + ".led", error), u.params.led);
    }
    if (!error.empty()) {
        return std::nullopt;
    }
    return u;
}

} // namespace

json StateToJson(const std::vector<SimUnit>& units)
{
    json list = json::array();
    for (const SimUnit& u : units) {
        list.push_back(UnitToJson(u));
    }
    return {{"version", kFormatVersion}, {"units", std::move(list)}};
}

std::optional<std::vector<SimUnit>> StateFromJson(const json& state, std::string& error)
{
    error.clear();
    if (!state.is_object() || !state.contains("units") || !state["units"].is_array()) {
        error = "expected an object with an array \"units\"";
        return std::nullopt;
    }
    if (state.contains("version") && state["version"] != kFormatVersion) {
        error = "unknown state version " + state["version"].dump();
        return std::nullopt;
    }
    const json& list = state["units"];
    if (list.empty() || list.size() > kMaxUnits) {
        error = "units: expected 1 to " + std::to_string(kMaxUnits) + " units";
        return std::nullopt;
    }
    std::vector<SimUnit> units;
    units.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        std::optional<SimUnit> u = UnitFromJson(list[i], "units[" + std::to_string(i) + "]", error);
        if (!u) {
            return std::nullopt;
        }
        units.push_back(std::move(*u));
    }
    return units;
}

bool SaveStateFile(const std::string& path, const std::vector<SimUnit>& units, std::string& error)
{
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot write " + temporary;
            return false;
        }
        out << StateToJson(units).dump(1) << '\n';
        out.flush();
        if (!out) {
            error = "cannot write " + temporary;
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot rename " + temporary + " to " + path;
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::optional<std::vector<SimUnit>> LoadStateFile(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    const json state = json::parse(in, nullptr, /*allow_exceptions=*/false);
    if (state.is_discarded()) {
        error = path + ": not valid JSON";
        return std::nullopt;
    }
    auto units = StateFromJson(state, error);
    if (!units) {
        error = path + ": " + error;
    }
    return units;
}

} // namespace rv::sim
