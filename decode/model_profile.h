#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "decode/baud_rate.h"

/// The eleven model flags of the window's design. One build sets exactly one of them.
struct ModelFlags {
    bool IFQM28 = false;
    bool IFQM32 = false;
    bool IFQM26 = false;
    bool IFQM40 = false;
    bool IFQM44 = false;
    bool IFQM14 = false;
    bool IFQM12 = false;   // present on the window, read by no step
    bool IFQM16 = false;   // present on the window, read by no step
    bool IFQM18 = false;   // present on the window, read by no step
    bool IFQM10 = false;   // present on the window, read by no step
    bool IFQM50x = false;  // present on the window, read by no step
};

/// The flags this build is made for.
inline constexpr ModelFlags kBuildModelFlags = [] {
    ModelFlags flags;
    flags.IFQM14 = true;
    return flags;
}();

enum class ModelFlagId : std::uint8_t { None, IFQM28, IFQM32, IFQM26, IFQM40, IFQM44, IFQM14 };

/// Which frame-assembly handler the serial driver's receive event is bound to.
enum class SerialHandlerKind : std::uint8_t { None, RECEIVE_COM_Data, RECEIVE_NIBBLE_Data };

/// Which HID report handler the USB connection binds.
enum class UsbHandlerKind : std::uint8_t { None, HidDataQM14, HidDataQM28, HidDataQM32 };

/// The build's meter model. Fixed after start-up except FullScale, which the decoder rewrites.
struct TModelProfile {
    ModelFlagId ModelFlag = ModelFlagId::None;
    SerialHandlerKind SerialHandler = SerialHandlerKind::None;
    std::string Title;
    /// Set only when the model asks for a speed other than the driver's configured br2400.
    std::optional<TComPortBaudRate> ComPortSpeed;
    std::string ScaleCode = "4";
    std::int32_t FullScale = 4000;
    UsbHandlerKind UsbHandler = UsbHandlerKind::None;
    int UsbCableSpeed = 2400;
    std::optional<std::string> FirstDigitCaption;

    // Values derived from FullScale at start-up.
    float MaxSoFar = -4001.0F;
    float MinSoFar = 4001.0F;
    std::string MinCaption = "4001";
    std::string MaxCaption = "-4001";
    double LeftAxisMinimum = -4000.0;
    double LeftAxisMaximum = 4000.0;
};

/// Builds the profile from the model flags, in the order the flags are tested.
TModelProfile buildModelProfile(const ModelFlags& flags);
