#pragma once

#include <cstdint>

/// The four ports the program offers; the ordinal is the port number minus one.
enum class TComPortNumber : std::uint8_t { pnCOM1, pnCOM2, pnCOM3, pnCOM4 };

/// Data bits per character; the character size is the ordinal plus 5.
enum class TComPortDataBits : std::uint8_t { db5BITS, db6BITS, db7BITS, db8BITS };

enum class TComPortStopBits : std::uint8_t { sb1BITS, sb1HALFBITS, sb2BITS };

enum class TComPortParity : std::uint8_t { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };

enum class TComPortHwHandshaking : std::uint8_t { hhNONE, hhRTSCTS };

enum class TComPortSwHandshaking : std::uint8_t { shNONE, shXONXOFF };

/// 1 for pnCOM1 ... 4 for pnCOM4.
constexpr int comPortNumberValue(TComPortNumber port) {
    return static_cast<int>(port) + 1;
}
