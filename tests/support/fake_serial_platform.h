#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "link/serial/serial_platform.h"

/// What the fake platform was asked to do, kept by the test after the driver is gone.
struct FakeSerialState {
    SerialOpenResult nextOpen;  ///< the answer to the next open
    bool open = false;
    int opens = 0;
    int closes = 0;
    QString openedName;
    std::vector<SerialLineSettings> configured;
    std::vector<std::pair<bool, bool>> purges;  ///< (input, output)
    std::vector<std::pair<std::uint16_t, std::uint16_t>> queueSizes;
    std::deque<QByteArray> arrivals;  ///< bytes the next reads find
    bool failReads = false;
    bool gone = false;
    QString errorText;
    int readCalls = 0;
    int lastReadCapacity = 0;
};

class FakeSerialPlatform final : public SerialPlatform {
public:
    explicit FakeSerialPlatform(std::shared_ptr<FakeSerialState> state)
        : m_state(std::move(state)) {}

    SerialOpenResult open(const QString& deviceName) override {
        ++m_state->opens;
        m_state->openedName = deviceName;
        m_state->open = m_state->nextOpen.ok();
        if (m_state->open) m_state->gone = false;
        return m_state->nextOpen;
    }
    bool isOpen() const override { return m_state->open; }
    void configure(const SerialLineSettings& settings) override {
        m_state->configured.push_back(settings);
    }
    void setQueueSizes(std::uint16_t in, std::uint16_t out) override {
        m_state->queueSizes.emplace_back(in, out);
    }
    void purge(bool input, bool output) override { m_state->purges.emplace_back(input, output); }
    std::int64_t read(std::uint8_t* buffer, std::int32_t capacity) override {
        ++m_state->readCalls;
        m_state->lastReadCapacity = capacity;
        if (m_state->failReads) return -1;
        std::int64_t total = 0;
        auto& q = m_state->arrivals;
        while (!q.empty() && total < capacity) {
            QByteArray& chunk = q.front();
            const auto n = std::min<std::int64_t>(chunk.size(), capacity - total);
            std::memcpy(buffer + total, chunk.constData(), static_cast<std::size_t>(n));
            total += n;
            chunk.remove(0, n);
            if (chunk.isEmpty()) q.pop_front();
        }
        return total;
    }
    std::int64_t bytesAvailable() const override {
        std::int64_t total = 0;
        for (const QByteArray& chunk : m_state->arrivals)
            total += chunk.size();
        return m_state->open ? total : 0;
    }
    void close() override {
        if (m_state->open) ++m_state->closes;
        m_state->open = false;
    }
    bool deviceGone() const override { return m_state->gone; }
    QString errorText() const override { return m_state->errorText; }

private:
    std::shared_ptr<FakeSerialState> m_state;
};
