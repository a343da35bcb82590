#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/sim_packet.h"

/// How the program turns a step's reading into its number (the value it logs and plots).
enum class NumericKind : std::uint8_t {
    InUnit,    ///< the displayed value in the shown unit (5.123 for "5.123")
    RawCount,  ///< the signed count without point (the ranges table has no row for it)
    Overload,  ///< over limit: a count just beyond full scale
};

/// One situation of the simulated meter: a function on one range with a nominal reading,
/// and the function and unit texts the program is meant to show for it.
struct SimStep {
    std::string_view name;
    AnnunciatorSet flags;
    int point = 0;
    std::int32_t value = 0;  ///< signed count, without point
    bool overload = false;
    std::int32_t jitter = 0;  ///< the later packets of a step wander by up to this many counts
    std::string_view function;
    std::string_view unit;
    NumericKind numeric = NumericKind::InUnit;
};

/// The meter's walk through its functions and ranges, in order.
std::span<const SimStep> simScenario();

/// One packet of the simulated meter, with what the program should make of it.
struct SimPacket {
    const SimStep* step = nullptr;
    MeterDisplay display;
    MeterPacket bytes{};
};

/// What the program should show for a packet (decimal separator ".").
struct SimExpectation {
    std::string value;
    std::string_view function;
    std::string_view unit;
    NumericKind numericKind = NumericKind::InUnit;
    double numeric = 0.0;  ///< for InUnit and RawCount
    double count = 0.0;    ///< signed count, for InUnit and RawCount
};

SimExpectation expectationFor(const SimPacket& packet);

/// The simulated meter: walks the scenario, each step for kPacketsPerStep packets (the first
/// at the nominal value, the others wandering by the step's jitter), and starts over at the
/// end. The same seed gives the same packets and the same report splits.
class MeterSimulator {
public:
    static constexpr int kPacketsPerStep = 2;

    explicit MeterSimulator(std::uint64_t seed);

    SimPacket next();

    /// The cable's report lines for a packet: random payload sizes of 1 to 7 bytes and one to
    /// three empty reports after it. Uses its own random stream, so the packets do not depend
    /// on whether they are sent as reports.
    std::string hidReportLines(const SimPacket& packet);

    std::uint64_t packetsMade() const { return m_packets; }

private:
    class Random {
    public:
        explicit Random(std::uint64_t seed) : m_state(seed) {}
        /// Uniform in [low, high].
        std::int32_t between(std::int32_t low, std::int32_t high);

    private:
        std::uint64_t m_state;
    };

    Random m_values;
    Random m_splits;
    std::uint64_t m_packets = 0;
};
