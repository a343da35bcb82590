#include "sim/sim_scenario.h"

#include <array>
#include <cstdlib>

namespace {

using A = Annunciator;

const std::vector<SimStep>& scenarioSteps() {
    // clang-format off
    static const std::vector<SimStep> kSteps = {
        {"DC 6 V",            annunciators({A::AutoRange, A::Dc, A::Volt}), 1, 5123, false, 4, "DC", "V"},
        {"DC 60 V",           annunciators({A::AutoRange, A::Dc, A::Volt}), 2, 1234, false, 3, "DC", "V"},
        {"DC 600 V",          annunciators({A::AutoRange, A::Dc, A::Volt}), 3, 2301, false, 2, "DC", "V"},
        {"DC 1000 V",         annunciators({A::Dc, A::Volt}),               0, 998,  false, 1, "DC", "V"},
        {"DC 60 V negative",  annunciators({A::AutoRange, A::Dc, A::Volt}), 2, -905, false, 3, "DC", "V"},
        {"DC 60 V overload",  annunciators({A::AutoRange, A::Dc, A::Volt}), 2, 0,    true,  0, "DC", "V", NumericKind::Overload},
        {"DC 600 mV",         annunciators({A::AutoRange, A::Dc, A::Milli, A::Volt}), 3, 1587, false, 5, "DC", "mV"},
        {"AC 6 V",            annunciators({A::AutoRange, A::Ac, A::Volt}), 1, 1414, false, 4, "AC", "V"},
        {"AC 60 V",           annunciators({A::AutoRange, A::Ac, A::Volt}), 2, 2400, false, 3, "AC", "V"},
        {"AC 600 V",          annunciators({A::AutoRange, A::Ac, A::Volt}), 3, 2300, false, 6, "AC", "V"},
        {"AC 750 V",          annunciators({A::Ac, A::Volt}),               0, 700,  false, 2, "AC", "V"},
        {"AC 600 V low battery", annunciators({A::AutoRange, A::Ac, A::Volt, A::Battery}), 3, 2290, false, 6, "AC", "V"},
        {"Ohm 600",           annunciators({A::AutoRange, A::Ohm}),          3, 2200, false, 2, "OHM", "*"},
        {"Ohm 6 k",           annunciators({A::AutoRange, A::Ohm, A::Kilo}), 1, 4700, false, 3, "OHM", "k*"},
        {"Ohm 60 k",          annunciators({A::AutoRange, A::Ohm, A::Kilo}), 2, 1000, false, 3, "OHM", "k*"},
        {"Ohm 600 k",         annunciators({A::AutoRange, A::Ohm, A::Kilo}), 3, 3300, false, 3, "OHM", "k*"},
        {"Ohm 6 M",           annunciators({A::AutoRange, A::Ohm, A::Mega}), 1, 1000, false, 5, "OHM", "M*"},
        {"Ohm 60 M",          annunciators({A::AutoRange, A::Ohm, A::Mega}), 2, 2200, false, 8, "OHM", "M*"},
        {"Ohm open circuit",  annunciators({A::AutoRange, A::Ohm, A::Mega}), 2, 0,    true,  0, "OHM", "M*", NumericKind::Overload},
        // The beeper range shows the resistance in ohms, so the ohm function wins.
        {"Continuity",        annunciators({A::Continuity, A::Ohm}),         3, 123,  false, 2, "OHM", "*"},
        {"Diode",             annunciators({A::Diode, A::Volt}),             1, 582,  false, 2, "Diode", "V", NumericKind::RawCount},
        {"Capacitance 40 nF", annunciators({A::AutoRange, A::Farad, A::Nano}),  2, 1000, false, 4, "CAP", "nF"},
        {"Capacitance 400 nF", annunciators({A::AutoRange, A::Farad, A::Nano}), 3, 2200, false, 4, "CAP", "nF"},
        {"Capacitance 4 uF",  annunciators({A::AutoRange, A::Farad, A::Micro}), 1, 4700, false, 6, "CAP", "uF"},
        {"Capacitance 40 uF", annunciators({A::AutoRange, A::Farad, A::Micro}), 2, 2200, false, 6, "CAP", "uF"},
        {"Capacitance 400 uF", annunciators({A::AutoRange, A::Farad, A::Micro}), 3, 1000, false, 6, "CAP", "uF"},
        {"Capacitance 4000 uF", annunciators({A::AutoRange, A::Farad, A::Micro}), 0, 2200, false, 6, "CAP", "uF"},
        {"Frequency 10 Hz",   annunciators({A::AutoRange, A::Hertz}),          1, 5000, false, 2, "Freq", "Hz"},
        {"Frequency 100 Hz",  annunciators({A::AutoRange, A::Hertz}),          2, 5000, false, 2, "Freq", "Hz"},
        {"Frequency 1 kHz",   annunciators({A::AutoRange, A::Hertz}),          3, 4400, false, 2, "Freq", "Hz"},
        {"Frequency 10 kHz",  annunciators({A::AutoRange, A::Hertz, A::Kilo}), 1, 1000, false, 2, "Freq", "kHz"},
        {"Frequency 100 kHz", annunciators({A::AutoRange, A::Hertz, A::Kilo}), 2, 3277, false, 2, "Freq", "kHz"},
        {"Frequency 1 MHz",   annunciators({A::AutoRange, A::Hertz, A::Kilo}), 3, 5000, false, 2, "Freq", "kHz"},
        {"Frequency 10 MHz",  annunciators({A::AutoRange, A::Hertz, A::Mega}), 1, 4000, false, 2, "Freq", "MHz"},
        {"Duty cycle",        annunciators({A::AutoRange, A::Percent}),        3, 500,  false, 3, "DutyCycle", "%"},
        {"Temperature C",     annunciators({A::Celsius}),                      0, 23,   false, 1, "TMP", "#"},
        {"Temperature F",     annunciators({A::Fahrenheit}),                   0, 73,   false, 1, "TMP", "?"},
        {"DC 600 uA",         annunciators({A::AutoRange, A::Dc, A::Micro, A::Ampere}), 3, 1234, false, 4, "DC", "uA"},
        {"DC 6000 uA",        annunciators({A::AutoRange, A::Dc, A::Micro, A::Ampere}), 0, 2500, false, 4, "DC", "uA"},
        {"AC 600 uA",         annunciators({A::AutoRange, A::Ac, A::Micro, A::Ampere}), 3, 812,  false, 4, "AC", "uA"},
        {"AC 6000 uA",        annunciators({A::AutoRange, A::Ac, A::Micro, A::Ampere}), 0, 1630, false, 4, "AC", "uA"},
        {"DC 60 mA",          annunciators({A::AutoRange, A::Dc, A::Milli, A::Ampere}), 2, 1850, false, 3, "DC", "mA"},
        {"DC 600 mA",         annunciators({A::AutoRange, A::Dc, A::Milli, A::Ampere}), 3, 2500, false, 3, "DC", "mA"},
        {"AC 60 mA",          annunciators({A::AutoRange, A::Ac, A::Milli, A::Ampere}), 2, 1234, false, 3, "AC", "mA"},
        {"AC 600 mA",         annunciators({A::AutoRange, A::Ac, A::Milli, A::Ampere}), 3, 3050, false, 3, "AC", "mA"},
        {"DC 6 A",            annunciators({A::AutoRange, A::Dc, A::Ampere}),  1, 1500, false, 3, "DC", "A"},
        {"DC 10 A",           annunciators({A::Dc, A::Ampere}),                2, 850,  false, 3, "DC", "A"},
        {"AC 6 A",            annunciators({A::AutoRange, A::Ac, A::Ampere}),  1, 2100, false, 3, "AC", "A"},
        {"AC 10 A",           annunciators({A::Ac, A::Ampere}),                2, 730,  false, 3, "AC", "A"},
        {"DC 6 V hold",       annunciators({A::Dc, A::Volt, A::Hold}),         1, 3300, false, 0, "DC", "V"},
        {"DC 6 V relative",   annunciators({A::Dc, A::Volt, A::Relative}),     1, 2,    false, 4, "DC", "V"},
        {"DC 6 V MAX",        annunciators({A::Dc, A::Volt, A::Max}),          1, 5210, false, 0, "DC", "V"},
        {"DC 6 V MIN",        annunciators({A::Dc, A::Volt, A::Min}),          1, 4980, false, 0, "DC", "V"},
    };
    // clang-format on
    return kSteps;
}

}  // namespace

std::span<const SimStep> simScenario() {
    return scenarioSteps();
}

SimExpectation expectationFor(const SimPacket& packet) {
    SimExpectation e;
    e.value = displayValueText(packet.display, '.');
    e.function = packet.step->function;
    e.unit = packet.step->unit;
    e.numericKind = packet.step->numeric;
    const double count =
        packet.display.negative ? -double(packet.display.count) : double(packet.display.count);
    e.count = count;
    e.numeric = e.numericKind == NumericKind::InUnit ? displayNumber(packet.display) : count;
    return e;
}

MeterSimulator::MeterSimulator(std::uint64_t seed)
    : m_values(seed), m_splits(seed ^ 0x9E3779B97F4A7C15ULL) {}

std::int32_t MeterSimulator::Random::between(std::int32_t low, std::int32_t high) {
    // splitmix64: the same sequence on every platform, unlike the standard distributions.
    m_state += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = m_state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    const auto span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<std::int32_t>(z % span);
}

SimPacket MeterSimulator::next() {
    const std::span<const SimStep> steps = simScenario();
    const std::uint64_t stepIndex = (m_packets / kPacketsPerStep) % steps.size();
    const bool firstOfStep = m_packets % kPacketsPerStep == 0;
    ++m_packets;

    SimPacket packet;
    packet.step = &steps[stepIndex];
    const SimStep& step = *packet.step;
    std::int32_t value = step.value;
    if (!firstOfStep && step.jitter > 0) value += m_values.between(-step.jitter, step.jitter);
    packet.display.flags = step.flags;
    packet.display.point = step.point;
    packet.display.overload = step.overload;
    packet.display.negative = value < 0;
    packet.display.count = std::abs(value);
    packet.bytes = encodePacket(packet.display);
    return packet;
}

std::string MeterSimulator::hidReportLines(const SimPacket& packet) {
    std::array<int, kPacketSize> sizes{};
    for (int& size : sizes)
        size = m_splits.between(1, int{kHidMaxPayload});
    const int empties = m_splits.between(1, 3);
    std::string lines;
    appendHidReportLines(packet.bytes, sizes, empties, lines);
    return lines;
}
