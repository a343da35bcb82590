#include "link/hid/joined_hid_platform.h"

JoinedHidPlatform::JoinedHidPlatform(std::unique_ptr<HidPlatform> first,
                                     std::unique_ptr<HidPlatform> second)
    : m_first(std::move(first)), m_second(std::move(second)) {}

bool JoinedHidPlatform::available() const {
    return m_first->available() || m_second->available();
}

std::vector<HidInterface> JoinedHidPlatform::enumerate() {
    std::vector<HidInterface> list;
    std::map<std::string, HidPlatform*> owners;
    for (HidPlatform* platform : {m_first.get(), m_second.get()}) {
        if (!platform->available()) continue;
        for (HidInterface& iface : platform->enumerate()) {
            // A path listed twice is the first's; the second's copy could not be opened.
            if (!owners.emplace(iface.path, platform).second) continue;
            list.push_back(std::move(iface));
        }
    }
    const std::lock_guard lock(m_mutex);
    // Paths of devices that went away stay known: their objects may still open them (and fail).
    owners.merge(m_owners);
    m_owners = std::move(owners);
    return list;
}

HidPlatform& JoinedHidPlatform::owner(const std::string& path) {
    const std::lock_guard lock(m_mutex);
    const auto found = m_owners.find(path);
    return found != m_owners.end() ? *found->second : *m_first;
}

HidOpenResult<std::unique_ptr<HidHandle>> JoinedHidPlatform::open(const std::string& path,
                                                                  HidAccess access) {
    return owner(path).open(path, access);
}

HidOpenResult<std::shared_ptr<HidReadHandle>> JoinedHidPlatform::openForReading(
    const std::string& path) {
    return owner(path).openForReading(path);
}

QString JoinedHidPlatform::errorText(std::uint32_t code) const {
    return m_first->errorText(code);
}
