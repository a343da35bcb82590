#include "app/shell/platform_info.h"

#include <array>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/utsname.h>
#endif

bool is64BitMachineName(std::string_view machine) {
    // uname spells nearly every 64-bit machine with "64" in its name (x86_64, aarch64, arm64,
    // ppc64le, riscv64, loongarch64); 32-bit ones (i386..i686, armv7l, ppc) never contain it.
    static constexpr std::array<std::string_view, 2> kExact = {"s390x", "alpha"};
    for (const std::string_view name : kExact) {
        if (machine == name) return true;
    }
    return machine.find("64") != std::string_view::npos;
}

bool is64BitOperatingSystem() {
#ifdef _WIN32
    if constexpr (sizeof(void*) == 8) return true;
    // A 32-bit process: ask whether it runs under the 32-bit emulation of a 64-bit system.
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    if (kernel == nullptr) return false;
    const auto isWow64 =
        reinterpret_cast<IsWow64ProcessFn>(GetProcAddress(kernel, "IsWow64Process"));
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
#else
    utsname name{};
    if (uname(&name) != 0) return false;
    return is64BitMachineName(name.machine);
#endif
}

const char* platformCaptionSuffix(bool is64Bit) {
    return is64Bit ? "(x64)" : "(x86)";
}
