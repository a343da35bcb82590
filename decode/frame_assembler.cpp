#include "decode/frame_assembler.h"

#include <limits>
#include <utility>

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Characters of an accepted frame: sign byte to carriage return, 13 bytes (or 12).
constexpr std::size_t kFrameChars = 26;
// End steps read at most this much of the USB accumulator.
constexpr std::size_t kHidPacketChars = 28;

bool isSign(std::string_view s) {
    return s == "2B" || s == "2D";
}

// The characters at [pos, pos + 2) of text, 0-based, cut short at its end.
std::string_view pairAt(std::string_view text, std::size_t pos) {
    return pos < text.size() ? text.substr(pos, 2) : std::string_view{};
}

// Sign byte first and a carriage return as the byte that starts at crPos (0-based).
bool framed(std::string_view frame, std::size_t crPos) {
    return isSign(pairAt(frame, 0)) && pairAt(frame, crPos) == "0D";
}

}  // namespace

FrameAssembler::FrameAssembler(PacketSink* decoder) : m_decoder(decoder) {
    // Capacity for the bound plus the byte that triggers the cut, so the serial path never
    // allocates after construction.
    m_frameAccumulator.reserve(kMaxFrameAccumulator + 2);
    m_frameHex.reserve(kMaxHidAccumulator);
    m_hidAccumulator.reserve(kMaxHidAccumulator);
    m_reportText.reserve(64);
}

void FrameAssembler::setHistorySink(std::function<void(std::string_view)> sink) {
    m_historySink = std::move(sink);
}

void FrameAssembler::RECEIVE_COM_Data(const std::uint8_t* DataPtr, std::int32_t DataSize) {
    for (std::int32_t i = 0; i < DataSize; ++i)
        appendSerialByte(DataPtr[i]);
}

void FrameAssembler::appendSerialByte(std::uint8_t byte) {
    if (m_frameAccumulator.size() >= kMaxFrameAccumulator) {
        // No frame can end well from here; keep the last byte, which may be the line feed
        // that lines up the next packet.
        m_frameAccumulator.erase(0, m_frameAccumulator.size() - 2);
        ++m_stats.overflowResets;
    }
    m_frameAccumulator.push_back(kHexDigits[byte >> 4]);
    m_frameAccumulator.push_back(kHexDigits[byte & 0x0F]);
    if (byte != 0x0D) return;

    // The accumulator starts with the line feed that ended the previous packet; skip it.
    if (m_frameAccumulator.size() > 2) {
        m_frameHex.assign(m_frameAccumulator, 2, kFrameChars);
    } else {
        m_frameHex.clear();
    }
    // Either 13 bytes from sign to carriage return, or one byte fewer.
    acceptIfFramed(true);
    m_frameAccumulator.clear();
}

void FrameAssembler::acceptIfFramed(bool shortFormAllowed) {
    const bool ok = framed(m_frameHex, kFrameChars - 2) ||
                    (shortFormAllowed && framed(m_frameHex, kFrameChars - 4));
    if (!ok) {
        ++m_stats.failedCheck;
        return;
    }
    ++m_stats.accepted;
    if (m_decoder != nullptr) m_decoder->packetAccepted(m_frameHex);
}

void FrameAssembler::RECEIVE_NIBBLE_Data(const std::uint8_t* DataPtr, std::int32_t DataSize) {
    for (std::int32_t i = 0; i < DataSize; ++i) {
        const std::uint8_t byte = DataPtr[i];
        if (m_frameAccumulator.size() >= kMaxFrameAccumulator) {
            m_frameAccumulator.erase(0, m_frameAccumulator.size() - 1);
            ++m_stats.overflowResets;
        }
        m_frameAccumulator.push_back(kHexDigits[byte & 0x0F]);
        if ((byte >> 4) == 0x0E) {
            m_frameHex = m_frameAccumulator;
            m_frameAccumulator.clear();
        }
    }
}

bool FrameAssembler::hidCommonSteps(std::uint8_t reportId, const std::uint8_t* data,
                                    std::uint16_t size) {
    m_reportText.assign("R ");
    m_reportText.push_back(kHexDigits[reportId >> 4]);
    m_reportText.push_back(kHexDigits[reportId & 0x0F]);
    m_reportText.append("  ");
    for (std::uint16_t k = 0; k < size; ++k) {
        m_reportText.push_back(kHexDigits[data[k] >> 4]);
        m_reportText.push_back(kHexDigits[data[k] & 0x0F]);
        m_reportText.push_back(' ');
    }

    // The low nibble of the first data byte counts the payload bytes that follow it.
    const int count = size > 0 ? (data[0] & 0x0F) : -1;
    if (count >= 1 && count <= 9) {
        m_emptyReportCount = 0;
        m_packetOpen = true;
        // Payload bytes beyond the report's end contribute nothing.
        const int available = static_cast<int>(size) - 1;
        const int n = count < available ? count : available;
        for (int b = 0; b < n; ++b) {
            if (m_hidAccumulator.size() + 2 > kMaxHidAccumulator) {
                if (!m_hidOverflowCounted) ++m_stats.overflowResets;
                m_hidOverflowCounted = true;
                break;
            }
            const std::uint8_t byte = data[1 + b];
            m_hidAccumulator.push_back(kHexDigits[byte >> 4]);
            m_hidAccumulator.push_back(kHexDigits[byte & 0x0F]);
        }
        if (m_historySink) m_historySink(m_reportText);
        return false;
    }

    // Count 0 or a letter (A to F) is an empty report; a report without data is not counted.
    if (count >= 0 && m_emptyReportCount < std::numeric_limits<std::int32_t>::max()) {
        ++m_emptyReportCount;
    }
    const bool ended = m_packetOpen;
    m_packetOpen = false;
    return ended;
}

void FrameAssembler::endHidPacket() {
    m_hidAccumulator.clear();
    m_hidOverflowCounted = false;
}

void FrameAssembler::HidDataQM14(std::uint8_t reportId, const std::uint8_t* data,
                                 std::uint16_t size) {
    if (!hidCommonSteps(reportId, data, size)) return;
    m_frameHex = m_hidAccumulator;
    // The line feed travels with the packet: the carriage return is byte 13 of 14.
    acceptIfFramed(false);
    endHidPacket();
}

void FrameAssembler::HidDataQM28(std::uint8_t reportId, const std::uint8_t* data,
                                 std::uint16_t size) {
    if (!hidCommonSteps(reportId, data, size)) return;
    // The low nibbles of the first 14 bytes.
    m_frameHex.clear();
    for (std::size_t pos = 1; pos < kHidPacketChars && pos < m_hidAccumulator.size(); pos += 2) {
        m_frameHex.push_back(m_hidAccumulator[pos]);
    }
    endHidPacket();
}

void FrameAssembler::HidDataQM32(std::uint8_t reportId, const std::uint8_t* data,
                                 std::uint16_t size) {
    if (!hidCommonSteps(reportId, data, size)) return;
    // The low nibbles of the first 11 bytes, the eleventh moved to the front.
    constexpr std::size_t kNibbles = 11;
    char t[kNibbles];
    std::size_t n = 0;
    for (std::size_t pos = 1; n < kNibbles && pos < m_hidAccumulator.size(); pos += 2) {
        t[n++] = m_hidAccumulator[pos];
    }
    m_frameHex.clear();
    if (n == kNibbles) m_frameHex.push_back(t[kNibbles - 1]);
    m_frameHex.append(t, n < kNibbles - 1 ? n : kNibbles - 1);
    endHidPacket();
}

void FrameAssembler::receiveSerial(SerialHandlerKind h, const std::uint8_t* data,
                                   std::int32_t size) {
    switch (h) {
        case SerialHandlerKind::RECEIVE_COM_Data:
            RECEIVE_COM_Data(data, size);
            break;
        case SerialHandlerKind::RECEIVE_NIBBLE_Data:
            RECEIVE_NIBBLE_Data(data, size);
            break;
        case SerialHandlerKind::None:
            break;
    }
}

void FrameAssembler::receiveHid(UsbHandlerKind h, std::uint8_t reportId, const std::uint8_t* data,
                                std::uint16_t size) {
    switch (h) {
        case UsbHandlerKind::HidDataQM14:
            HidDataQM14(reportId, data, size);
            break;
        case UsbHandlerKind::HidDataQM28:
            HidDataQM28(reportId, data, size);
            break;
        case UsbHandlerKind::HidDataQM32:
            HidDataQM32(reportId, data, size);
            break;
        case UsbHandlerKind::None:
            break;
    }
}
