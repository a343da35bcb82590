#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "decode/model_profile.h"

/// Receives every packet that passed the frame check. The decoder implements it.
class PacketSink {
public:
    virtual ~PacketSink() = default;
    /// FrameHex is valid only during the call (it views the assembler's own text).
    virtual void packetAccepted(std::string_view FrameHex) = 0;
};

/// Link health of the frame assembly, counted since construction.
struct FrameStats {
    std::uint64_t accepted = 0;     ///< frames that passed the check and went to the sink
    std::uint64_t failedCheck = 0;  ///< frames (serial or HidDataQM14) that failed the check
    /// Times an accumulator reached its bound without a frame end (see FrameAssembler).
    std::uint64_t overflowResets = 0;
};

/// Turns received bytes (serial batches or HID input reports) into meter packets.
///
/// Packets travel as FrameHex: two upper-case hexadecimal digits per byte, high nibble first.
/// A serial frame ends at a carriage return (0x0D); it is accepted when it runs from a sign byte
/// ('+' 0x2B or '-' 0x2D) to that carriage return, 13 or 12 bytes long, which in steady state
/// means the accumulator starts with the line feed of the previous packet. A USB packet ends at
/// the first report without payload after a report with payload; the first data byte of each
/// report carries the payload count in its low nibble.
///
/// Bounds (input without frame ends must not grow memory):
/// - Serial: the accumulator holds at most kMaxFrameAccumulator characters. A frame can only be
///   accepted when the accumulator is 26 or 28 characters long at the carriage return, so when
///   another byte arrives at the bound everything but the last byte received is dropped (a line
///   feed there still lines up the next packet) and overflowResets grows by one.
/// - USB: the accumulator holds at most kMaxHidAccumulator characters; every end step reads only
///   the first 28 characters, so payload beyond the bound is dropped until the packet ends (the
///   result equals that of an unbounded accumulator). overflowResets grows once per such packet.
///
/// Not thread-safe: every call comes from one thread (the GUI thread in the program); the sink
/// runs inside the call, before the next byte or report is handled.
class FrameAssembler {
public:
    static constexpr std::size_t kMaxFrameAccumulator = 64;
    static constexpr std::size_t kMaxHidAccumulator = 256;

    /// decoder: not owned, may be nullptr (frames are then only counted); must outlive this.
    explicit FrameAssembler(PacketSink* decoder);

    /// Serial handler for packets ended by a carriage return.
    void RECEIVE_COM_Data(const std::uint8_t* DataPtr, std::int32_t DataSize);
    /// Serial handler for packets whose bytes carry their position in the high nibble; a byte
    /// with high nibble E ends the packet. No decoder is called.
    void RECEIVE_NIBBLE_Data(const std::uint8_t* DataPtr, std::int32_t DataSize);
    /// HID report handlers. data points to the report's data bytes (after the report ID);
    /// size may be 0 (data may then be nullptr).
    void HidDataQM14(std::uint8_t reportId, const std::uint8_t* data, std::uint16_t size);
    void HidDataQM28(std::uint8_t reportId, const std::uint8_t* data, std::uint16_t size);
    void HidDataQM32(std::uint8_t reportId, const std::uint8_t* data, std::uint16_t size);

    /// Calls the handler the profile names; None drops the bytes.
    void receiveSerial(SerialHandlerKind h, const std::uint8_t* data, std::int32_t size);
    /// Calls the handler the profile names; None drops the report.
    void receiveHid(UsbHandlerKind h, std::uint8_t reportId, const std::uint8_t* data,
                    std::uint16_t size);

    /// The last packet cut from the input (also set for frames that fail the check).
    const std::string& FrameHex() const { return m_frameHex; }
    /// Reports without payload since the last report with payload (saturates at INT32_MAX).
    std::int32_t EmptyReportCount() const { return m_emptyReportCount; }
    /// Set to 0 when the cable is connected and by the link watchdog.
    void resetEmptyReportCount() { m_emptyReportCount = 0; }
    /// Payload has arrived since the last USB packet end.
    bool PacketOpen() const { return m_packetOpen; }
    const FrameStats& stats() const { return m_stats; }

    /// Serial bytes since the last frame end, as hexadecimal text.
    const std::string& FrameAccumulator() const { return m_frameAccumulator; }
    /// USB payload since the last packet end, as hexadecimal text.
    const std::string& HidAccumulator() const { return m_hidAccumulator; }
    /// Printable form of the last HID report: "R " + report ID + two blanks, then "XX " per
    /// data byte (upper-case hexadecimal).
    const std::string& ReportText() const { return m_reportText; }

    /// Receives ReportText of every report that carries payload (the USB history list).
    /// Called inside the HID handler; may be empty (no history kept).
    void setHistorySink(std::function<void(std::string_view reportText)> sink);

private:
    /// Steps common to the HID handlers. Returns true when the report ended an open packet;
    /// the caller then runs its end step and empties the accumulator.
    bool hidCommonSteps(std::uint8_t reportId, const std::uint8_t* data, std::uint16_t size);
    void appendSerialByte(std::uint8_t byte);
    void acceptIfFramed(bool shortFormAllowed);
    void endHidPacket();

    PacketSink* m_decoder;
    std::string m_frameHex;
    std::string m_frameAccumulator;
    std::string m_hidAccumulator;
    std::string m_reportText;
    std::int32_t m_emptyReportCount = 0;
    bool m_packetOpen = false;
    bool m_hidOverflowCounted = false;
    FrameStats m_stats;
    std::function<void(std::string_view)> m_historySink;
};
