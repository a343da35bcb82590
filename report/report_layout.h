#pragma once

#include <array>
#include <cstdint>

/// Lengths of the report in hundredths of a millimetre, so that band arithmetic is exact.
using Hmm = std::int32_t;

/// The paper the report is laid out for at first: A4 portrait with 10 mm on every side.
inline constexpr Hmm kPaperWidth = 21000;
inline constexpr Hmm kPaperHeight = 29700;
inline constexpr Hmm kPageMargin = 1000;

/// The band heights, in the order the bands stand on a page.
struct BandHeights {
    Hmm pageHeader = 0;
    Hmm columnHeader = 0;
    Hmm detail = 0;
    Hmm pageFooter = 0;
};
inline constexpr BandHeights kReportBands{1058, 1058, 661, 1058};

/// The page header's title, centred across the band in a box of its own.
inline constexpr const char* kTitleText = "Data Report";
inline constexpr Hmm kTitleTop = 212;
inline constexpr Hmm kTitleWidth = 3545;
inline constexpr Hmm kTitleHeight = 503;

/// The page footer's label.
inline constexpr const char* kFooterText = "The Data Print Foot";
inline constexpr Hmm kFooterLeft = 847;
inline constexpr Hmm kFooterTop = 423;

/// Tops of the headings and of the detail texts below their band's top.
inline constexpr Hmm kHeadingTop = 423;
inline constexpr Hmm kDetailTextTop = 212;

/// The face a detail text prints in.
enum class DetailFace : std::uint8_t {
    Report,  ///< the report's own font, so that unit characters print as the meter's symbols
    Arial,
    Calibri,  ///< always black
};

/// One column of the column header and the detail band; lefts from the left margin.
struct ReportColumn {
    const char* heading;
    Hmm headingLeft;
    const char* fieldName;  ///< looked up without regard to case
    Hmm detailLeft;
    DetailFace face;
};

inline constexpr std::array<ReportColumn, 6> kReportColumns = {{
    {"No", 847, "No", 847, DetailFace::Report},
    {"Time", 3387, "Time", 3387, DetailFace::Arial},
    {"DC|AC", 6429, "DC/AC", 6562, DetailFace::Report},
    {"Value", 9948, "Value", 9948, DetailFace::Calibri},
    {"Unit", 13229, "Unit", 13123, DetailFace::Report},
    {"AUTO", 16298, "AUTO", 16298, DetailFace::Report},
}};
