#pragma once

/// Why a capture of `vxm90-cli log` ended.
enum class CaptureEnd {
    SourceEnded,   ///< the end of the input
    CountReached,  ///< --count rows are logged
    TimeUp,        ///< --seconds passed
    Stopped,       ///< SIGINT or SIGTERM
    LinkLost,      ///< the cable or the serial device went away, or the meter stayed silent
    Failed,        ///< the source could not be opened or read; it has said why
};
