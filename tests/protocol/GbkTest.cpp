// SPDX-License-Identifier: MIT
#include "protocol/Gbk.h"

#include "TestBytes.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>
#include <vector>

namespace rv {
namespace {

using test::Hex;
using test::ToHex;

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(Gbk, RoundTrip)
{
    const std::string text = "ab中文报警内容";
    const Bytes gbk = Utf8ToGbk(text);
    EXPECT_EQ(ToHex(ByteView(gbk).first(6)), "61 62 D6 D0 CE C4");
    EXPECT_EQ(GbkToUtf8(gbk), text);
}

TEST(Gbk, CutsBeforeACharacterThatDoesNotFit)
{
    EXPECT_EQ(ToHex(Utf8ToGbk("a中", 2)), "61");
    EXPECT_EQ(ToHex(Utf8ToGbk("a中", 3)), "61 D6 D0");
    EXPECT_EQ(Utf8ToGbk("abc", 0).size(), 0u);
    // Twelve Chinese characters in a 20-byte name field: ten fit whole.
    EXPECT_EQ(Utf8ToGbk("一二三四五六七八九十壹贰", 20).size(), 20u);
    EXPECT_EQ(Utf8ToGbk("x一二三四五六七八九十壹", 20).size(), 19u);
}

TEST(Gbk, FieldIsClearedThenFilledWithWholeCharacters)
{
    std::array<std::uint8_t, 6> field;
    field.fill(0xEE);
    StoreGbkField(field, "ab中文", 5);
    EXPECT_EQ(ToHex(field), "61 62 D6 D0 00 00");
}

TEST(Gbk, WhatCannotBeConvertedIsReplaced)
{
    EXPECT_EQ(GbkToUtf8(Hex("61 FF 62")), "a" + kReplacement + "b");
    EXPECT_EQ(GbkToUtf8(Hex("61 D6")), "a" + kReplacement); // lead byte cut off by the field's end
    EXPECT_EQ(GbkToUtf8(Hex("D6 30")), kReplacement + "0"); // a stray lead byte does not eat the digit
    EXPECT_EQ(ToHex(Utf8ToGbk("a\xF0\x9F\x98\x80"
                              "b")),
              "61 3F 62"); // an emoji GBK lacks
    EXPECT_EQ(ToHex(Utf8ToGbk("a\xFF\xE4\xB8"
                              "b")),
              "61 3F 3F 3F 62"); // ill-formed UTF-8
}

TEST(Gbk, FieldEndsAtItsFirstZeroByte)
{
    EXPECT_EQ(GbkFieldToUtf8(Hex("D6 D0 00 41 42")), "中");
    EXPECT_EQ(GbkFieldToUtf8(Hex("41 42")), "AB");
    EXPECT_EQ(GbkFieldToUtf8({}), "");
}

TEST(Gbk, SafeFromSeveralThreads)
{
    const std::string text = "设备名称 RV 监控主机";
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (std::size_t t = 0; t < failures.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                if (GbkToUtf8(Utf8ToGbk(text)) != text) {
                    ++failures[t];
                }
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    for (int f : failures) {
        EXPECT_EQ(f, 0);
    }
}

} // namespace
} // namespace rv
