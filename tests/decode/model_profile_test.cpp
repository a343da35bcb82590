#include "decode/model_profile.h"

#include <gtest/gtest.h>

namespace {

struct ProfileCase {
    const char* name;
    ModelFlags flags;
    SerialHandlerKind handler;
    const char* title;
    std::optional<TComPortBaudRate> speed;
    int fullScale;
    const char* minCaption;
    const char* maxCaption;
    UsbHandlerKind usb;
    int cableSpeed;
    std::optional<std::string> firstDigit;
};

void PrintTo(const ProfileCase& c, std::ostream* os) {
    *os << c.name;
}

ModelFlags with(bool ModelFlags::*a, bool ModelFlags::*b = nullptr) {
    ModelFlags f;
    f.*a = true;
    if (b != nullptr) f.*b = true;
    return f;
}

class ModelProfileTest : public testing::TestWithParam<ProfileCase> {};

TEST_P(ModelProfileTest, MatchesTheProfileTables) {
    const ProfileCase& c = GetParam();
    const TModelProfile p = buildModelProfile(c.flags);
    EXPECT_EQ(p.SerialHandler, c.handler);
    EXPECT_EQ(p.Title, c.title);
    EXPECT_EQ(p.ComPortSpeed, c.speed);
    EXPECT_EQ(p.FullScale, c.fullScale);
    EXPECT_FLOAT_EQ(p.MaxSoFar, -(c.fullScale + 1.0F));
    EXPECT_FLOAT_EQ(p.MinSoFar, c.fullScale + 1.0F);
    EXPECT_EQ(p.MinCaption, c.minCaption);
    EXPECT_EQ(p.MaxCaption, c.maxCaption);
    EXPECT_DOUBLE_EQ(p.LeftAxisMaximum, c.fullScale);
    EXPECT_DOUBLE_EQ(p.LeftAxisMinimum, -c.fullScale);
    EXPECT_EQ(p.UsbHandler, c.usb);
    EXPECT_EQ(p.UsbCableSpeed, c.cableSpeed);
    EXPECT_EQ(p.FirstDigitCaption, c.firstDigit);
}

using MF = ModelFlags;
using SH = SerialHandlerKind;
using UH = UsbHandlerKind;
constexpr auto br19200 = TComPortBaudRate::br19200;

INSTANTIATE_TEST_SUITE_P(
    Flags, ModelProfileTest,
    testing::Values(ProfileCase{"ThisBuild", kBuildModelFlags, SH::RECEIVE_COM_Data,
                                "VXM-90 Interface Program Ver 3.04", std::nullopt, 6000, "6001",
                                "-6001", UH::HidDataQM14, 2400, std::nullopt},
                    ProfileCase{"QM26", with(&MF::IFQM26), SH::RECEIVE_COM_Data,
                                "QM26 Interface Program _Ver: 2.06", std::nullopt, 3400, "3401",
                                "-3401", UH::None, 2400, std::nullopt},
                    ProfileCase{"QM40", with(&MF::IFQM40), SH::RECEIVE_COM_Data,
                                "QM40 USB Interface Program _Ver: 1.00", br19200, 4000, "4001",
                                "-4001", UH::None, 19200, std::nullopt},
                    ProfileCase{"QM28", with(&MF::IFQM28), SH::RECEIVE_NIBBLE_Data,
                                "QM20 Interface Program _Ver: 2.00", std::nullopt, 4000, "4001",
                                "-4001", UH::HidDataQM28, 2400, "3"},
                    ProfileCase{"QM32", with(&MF::IFQM32), SH::RECEIVE_COM_Data,
                                "QM32 USB Interface Program _Ver: 1.00", std::nullopt, 4000, "4001",
                                "-4001", UH::HidDataQM32, 2400, std::nullopt},
                    // The later IFQM14 wins handler, title and scale; IFQM40's br19200 stays.
                    ProfileCase{"QM40AndQM14", with(&MF::IFQM40, &MF::IFQM14), SH::RECEIVE_COM_Data,
                                "VXM-90 Interface Program Ver 3.04", br19200, 6000, "6001", "-6001",
                                UH::HidDataQM14, 2400, std::nullopt},
                    ProfileCase{"NoFlag", ModelFlags{}, SH::None, "", std::nullopt, 4000, "4001",
                                "-4001", UH::None, 2400, std::nullopt},
                    ProfileCase{"UnreadFlagsOnly", with(&MF::IFQM12, &MF::IFQM50x), SH::None, "",
                                std::nullopt, 4000, "4001", "-4001", UH::None, 2400, std::nullopt}),
    [](const testing::TestParamInfo<ProfileCase>& row) { return std::string(row.param.name); });

}  // namespace
