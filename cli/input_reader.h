#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "cli/stop_signals.h"

/// Why reading the input ended.
enum class InputEnd { EndOfInput, Stopped, TimeUp, Failed };

/// Work to do at a steady pace while reading, whether bytes arrive or not (none when run is
/// empty).
struct InputTick {
    std::chrono::milliseconds interval{1000};
    std::function<void()> run;
};

/// Reads fd until its end, a stop request, the deadline (TimeUp) or a read error, handing every
/// batch to onChunk as soon as it arrives (a live stream is passed on while it flows). onChunk
/// returns false to end the reading (Stopped). error is set on Failed. tick.run is called
/// every tick.interval from the start, between batches, also while the input is silent.
InputEnd readChunks(int fd, StopSignals& stop,
                    const std::function<bool(std::string_view chunk)>& onChunk, std::string& error,
                    StopSignals::Deadline deadline = std::nullopt, const InputTick& tick = {});

/// Cuts a byte stream into lines ended by LF, CR LF or a lone CR (a CR LF split between two
/// batches still ends one line); a last line without line end is given by finish().
/// A line longer than maxLine is handed over cut to maxLine bytes with `truncated` set, and the
/// rest up to its LF is skipped. Line numbers count from 1.
class LineSplitter {
public:
    using LineHandler =
        std::function<void(std::string_view line, std::size_t lineNumber, bool truncated)>;

    LineSplitter(std::size_t maxLine, LineHandler onLine);
    void feed(std::string_view bytes);
    void finish();

private:
    void emit();

    std::size_t m_maxLine;
    LineHandler m_onLine;
    std::string m_line;
    std::size_t m_lineNumber = 0;
    bool m_truncated = false;
    bool m_afterCr = false;  // the last batch ended in CR: a LF first in the next one is its end
};
