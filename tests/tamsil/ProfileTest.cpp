// Machine profiles and the numbers they (and tamsilctl) are written in.
#include <gtest/gtest.h>

#include <string>

#include "tamsil/Numbers.h"
#include "tamsil/Profile.h"

namespace {

using tamsil::Profile;

struct NumberCase {
    const char* text;
    bool accepted;
    uint32_t value;
};

TEST(Numbers, UnsignedAreDecimalOrHexWithin32Bits) {
    const NumberCase cases[] = {
        {"0", true, 0},
        {"161", true, 161},
        {"0xA0", true, 0xA0},
        {"0Xff", true, 0xFF},
        {"4294967295", true, UINT32_MAX},
        {"0xFFFFFFFF", true, UINT32_MAX},
        {"4294967296", false, 0},
        {"0x100000000", false, 0},
        {"", false, 0},
        {"0x", false, 0},
        {"-1", false, 0},
        {"+1", false, 0},
        {" 1", false, 0},
        {"1 ", false, 0},
        {"12a", false, 0},
        {"0xG", false, 0},
    };
    for (const NumberCase& c : cases) {
        uint32_t value = 7;
        EXPECT_EQ(tamsil::ParseUnsigned(c.text, UINT32_MAX, &value), c.accepted) << c.text;
        if (c.accepted) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
    uint32_t value;
    EXPECT_TRUE(tamsil::ParseUnsigned("0xFF", 0xFF, &value));
    EXPECT_FALSE(tamsil::ParseUnsigned("256", 0xFF, &value));
}

TEST(Numbers, SignedTakeAMinusWithinInt32) {
    int32_t value = 0;
    EXPECT_TRUE(tamsil::ParseSigned("-2147483648", &value));
    EXPECT_EQ(value, INT32_MIN);
    EXPECT_TRUE(tamsil::ParseSigned("0x7FFFFFFF", &value));
    EXPECT_EQ(value, INT32_MAX);
    EXPECT_TRUE(tamsil::ParseSigned("-0x10", &value));
    EXPECT_EQ(value, -16);
    EXPECT_FALSE(tamsil::ParseSigned("-2147483649", &value));
    EXPECT_FALSE(tamsil::ParseSigned("2147483648", &value));
    EXPECT_FALSE(tamsil::ParseSigned("-", &value));
    EXPECT_FALSE(tamsil::ParseSigned("--1", &value));
}

TEST(Profiles, DefaultMachineSupportsEveryButtonWithTheMainSkinAndCrtInDetect) {
    const Profile profile = tamsil::DefaultProfile();
    EXPECT_EQ(profile.initResult, 0);
    EXPECT_EQ(profile.query1900, 1u);
    EXPECT_EQ(profile.query2000, 0u);
    EXPECT_EQ(profile.query2500, 0u);
    ASSERT_EQ(profile.byteCount, 19u);
    for (uint32_t i = 0; i < 19; ++i)
        EXPECT_EQ(profile.supportBytes[i], 1) << i;
    EXPECT_EQ(profile.countZeroReads, 0u);
    EXPECT_EQ(profile.byteZeroReads[0], 0u);
    EXPECT_EQ(profile.reg75B, 0);
    EXPECT_EQ(profile.reg79B, 0);
}

TEST(Profiles, ReadsEveryKeyWithCommentsCaseAndBothNumberForms) {
    const std::string text =
        "\xEF\xBB\xBF; a machine without CRT in detect\r\n"
        "[Other]\r\n"
        "InitResult=9\r\n"
        "[machine]\r\n"
        "initresult = -7        ; fails\r\n"
        "QUERY1900=0\r\n"
        "Query2000=0x1\r\n"
        "Query2500=4294967295\r\n"
        "# another comment\r\n"
        "SupportBytes= 1 0 0xFF 2\r\n"
        "CountZeroReads=12\r\n"
        "ByteZeroReads=0 3 0 11\r\n"
        "Reg75B=0x80\r\n"
        "Reg79B=1\r\n";
    Profile profile{};
    std::string error;
    ASSERT_TRUE(tamsil::ParseProfile(text, &profile, &error)) << error;
    EXPECT_EQ(profile.initResult, -7);
    EXPECT_EQ(profile.query1900, 0u);
    EXPECT_EQ(profile.query2000, 1u);
    EXPECT_EQ(profile.query2500, UINT32_MAX);
    ASSERT_EQ(profile.byteCount, 4u);
    EXPECT_EQ(profile.supportBytes[0], 1);
    EXPECT_EQ(profile.supportBytes[1], 0);
    EXPECT_EQ(profile.supportBytes[2], 0xFF);
    EXPECT_EQ(profile.supportBytes[3], 2);
    EXPECT_EQ(profile.countZeroReads, 12u);
    EXPECT_EQ(profile.byteZeroReads[1], 3u);
    EXPECT_EQ(profile.byteZeroReads[3], 11u);
    EXPECT_EQ(profile.reg75B, 0x80);
    EXPECT_EQ(profile.reg79B, 1);
}

TEST(Profiles, KeysLeftOutKeepTheDefaultMachineAndAnEmptyReportHasNoBytes) {
    Profile profile{};
    std::string error;
    ASSERT_TRUE(tamsil::ParseProfile("[Machine]\nInitResult=2\n", &profile, &error)) << error;
    EXPECT_EQ(profile.initResult, 2);
    EXPECT_EQ(profile.query1900, 1u);
    EXPECT_EQ(profile.byteCount, 19u);

    ASSERT_TRUE(tamsil::ParseProfile("[Machine]\nSupportBytes=\nByteZeroReads=\n", &profile, &error)) << error;
    EXPECT_EQ(profile.byteCount, 0u);
}

TEST(Profiles, LongestReportFits) {
    std::string bytes;
    for (int i = 0; i < 255; ++i)
        bytes += std::to_string(i) + " ";
    Profile profile{};
    std::string error;
    ASSERT_TRUE(tamsil::ParseProfile("[Machine]\nSupportBytes=" + bytes + "\n", &profile, &error)) << error;
    ASSERT_EQ(profile.byteCount, 255u);
    EXPECT_EQ(profile.supportBytes[254], 254);
}

struct RejectedProfile {
    const char* label;
    std::string text;
    const char* error;
};

TEST(Profiles, RejectsWhatTheMachineCannotHoldAndSaysWhere) {
    std::string tooMany;
    for (int i = 0; i < 256; ++i)
        tooMany += "1 ";
    const RejectedProfile cases[] = {
        {"no machine section", "[Other]\nInitResult=0\n", "no [Machine] section"},
        {"unknown key", "[Machine]\nQuery1901=1\n", "line 2: unknown key"},
        {"not a number", "[Machine]\nQuery1900=yes\n", "line 2: bad value"},
        {"query over 32 bits", "[Machine]\nQuery2000=0x100000000\n", "line 2: bad value"},
        {"negative count", "[Machine]\nCountZeroReads=-1\n", "line 2: bad value"},
        {"support byte over 0xFF", "[Machine]\nSupportBytes=1 256\n", "line 2: bad value"},
        {"more than 255 bytes", "[Machine]\nSupportBytes=" + tooMany + "\n", "line 2: bad value"},
        {"register over 0xFF", "\n[Machine]\nReg75B=0x100\n", "line 3: bad value"},
        {"no equals sign", "[Machine]\nInitResult\n", "line 2: expected Key=Value"},
        {"key twice", "[Machine]\nReg79B=1\nreg79b=0\n", "line 3: key given twice"},
        {"unclosed section", "[Machine\n", "line 1: unclosed section name"},
        {"zero reads for too few bytes", "[Machine]\nSupportBytes=1 1 1\nByteZeroReads=0 0\n", "one number per"},
        {"zero reads before their bytes", "[Machine]\nByteZeroReads=0 0\nSupportBytes=1 1 1\n", "one number per"},
    };
    for (const RejectedProfile& c : cases) {
        Profile profile = tamsil::DefaultProfile();
        profile.initResult = 42;
        std::string error;
        EXPECT_FALSE(tamsil::ParseProfile(c.text, &profile, &error)) << c.label;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.label << ": " << error;
        EXPECT_EQ(profile.initResult, 42) << c.label << ": a rejected profile changes nothing";
    }
}

}  // namespace
