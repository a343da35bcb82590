#pragma once

#include <string_view>

/// True when the machine name reported by the operating system (uname's "machine", e.g.
/// "x86_64", "aarch64", "i686") is that of a 64-bit system.
bool is64BitMachineName(std::string_view machine);

/// True when the operating system is a 64-bit one, whatever the bitness of this process
/// (a 32-bit build on a 64-bit system answers true). False when the system cannot be asked.
bool is64BitOperatingSystem();

/// The caption suffix for the window: "(x64)" on a 64-bit operating system, else "(x86)".
const char* platformCaptionSuffix(bool is64Bit);
