#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/hid/hid_platform.h"

/// Two HID platforms seen as one: the first's interfaces, then the second's, each opened
/// through the platform that listed it. So a simulated device can be one more device beside
/// the system's, through the same controller and reader threads. Both speak errno, so error
/// texts come from the first. Thread rules as the seam's: openForReading may run on reader
/// threads alongside the others.
class JoinedHidPlatform final : public HidPlatform {
public:
    JoinedHidPlatform(std::unique_ptr<HidPlatform> first, std::unique_ptr<HidPlatform> second);

    /// Available when either is.
    bool available() const override;
    std::vector<HidInterface> enumerate() override;
    HidOpenResult<std::unique_ptr<HidHandle>> open(const std::string& path,
                                                   HidAccess access) override;
    HidOpenResult<std::shared_ptr<HidReadHandle>> openForReading(const std::string& path) override;
    QString errorText(std::uint32_t code) const override;

    HidPlatform& first() { return *m_first; }
    HidPlatform& second() { return *m_second; }

private:
    /// The platform that last listed path (the first for a path never listed).
    HidPlatform& owner(const std::string& path);

    std::unique_ptr<HidPlatform> m_first;
    std::unique_ptr<HidPlatform> m_second;
    std::mutex m_mutex;
    std::map<std::string, HidPlatform*> m_owners;  // guarded
};
