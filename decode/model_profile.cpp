#include "decode/model_profile.h"

namespace {

struct ProfileRow {
    bool ModelFlags::*flag;
    ModelFlagId id;
    SerialHandlerKind handler;
    const char* title;
    std::optional<TComPortBaudRate> speed;
    const char* scaleCode;   // nullptr: keep what is there
    const char* firstDigit;  // nullptr: none
};

// Tested in this order; every set flag writes its fields, so a later flag overwrites.
const ProfileRow kProfileRows[] = {
    {&ModelFlags::IFQM28, ModelFlagId::IFQM28, SerialHandlerKind::RECEIVE_NIBBLE_Data,
     "QM20 Interface Program _Ver: 2.00", std::nullopt, nullptr, "3"},
    {&ModelFlags::IFQM32, ModelFlagId::IFQM32, SerialHandlerKind::RECEIVE_COM_Data,
     "QM32 USB Interface Program _Ver: 1.00", std::nullopt, nullptr, nullptr},
    {&ModelFlags::IFQM26, ModelFlagId::IFQM26, SerialHandlerKind::RECEIVE_COM_Data,
     "QM26 Interface Program _Ver: 2.06", std::nullopt, "34", nullptr},
    {&ModelFlags::IFQM40, ModelFlagId::IFQM40, SerialHandlerKind::RECEIVE_COM_Data,
     "QM40 USB Interface Program _Ver: 1.00", TComPortBaudRate::br19200, "4", nullptr},
    {&ModelFlags::IFQM44, ModelFlagId::IFQM44, SerialHandlerKind::RECEIVE_COM_Data,
     "QM44 USB Interface Program _Ver: 1.00", TComPortBaudRate::br19200, "4", nullptr},
    {&ModelFlags::IFQM14, ModelFlagId::IFQM14, SerialHandlerKind::RECEIVE_COM_Data,
     "VXM-90 Interface Program Ver 3.04", std::nullopt, "6", nullptr},
};

}  // namespace

TModelProfile buildModelProfile(const ModelFlags& flags) {
    TModelProfile p;
    for (const ProfileRow& row : kProfileRows) {
        if (!(flags.*row.flag)) continue;
        p.ModelFlag = row.id;
        p.SerialHandler = row.handler;
        p.Title = row.title;
        // A later flag without a speed of its own leaves an earlier br19200 in place.
        if (row.speed) p.ComPortSpeed = row.speed;
        if (row.scaleCode != nullptr) p.ScaleCode = row.scaleCode;
        if (row.firstDigit != nullptr) p.FirstDigitCaption = row.firstDigit;
    }

    if (p.ScaleCode == "6") {
        p.FullScale = 6000;
        p.MinCaption = "6001";
        p.MaxCaption = "-6001";
    } else if (p.ScaleCode == "34") {
        p.FullScale = 3400;
        p.MinCaption = "3401";
        p.MaxCaption = "-3401";
    }
    p.MaxSoFar = -static_cast<float>(p.FullScale + 1);
    p.MinSoFar = static_cast<float>(p.FullScale + 1);
    p.LeftAxisMaximum = p.FullScale;
    p.LeftAxisMinimum = -p.FullScale;

    // The HID handler: IFQM32, then IFQM28, then IFQM14; the last one set wins.
    if (flags.IFQM32) p.UsbHandler = UsbHandlerKind::HidDataQM32;
    if (flags.IFQM28) p.UsbHandler = UsbHandlerKind::HidDataQM28;
    if (flags.IFQM14) p.UsbHandler = UsbHandlerKind::HidDataQM14;
    p.UsbCableSpeed = 2400;
    if (flags.IFQM40) p.UsbCableSpeed = 19200;
    if (flags.IFQM28 || flags.IFQM32 || flags.IFQM14) p.UsbCableSpeed = 2400;
    return p;
}
