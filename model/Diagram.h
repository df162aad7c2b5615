#pragma once

#include "model/Common.h"

#include <cstdint>

// The diagram's geometry as far as the arithmetic needs it: the time axis the strips and links
// span, the strips' height, the panel's height and the strips' places. A link's travel span
// follows from the tops of the strips around it (TravelSpan), so a scenario's strip tops give
// every link's length without a window.

inline constexpr std::int32_t PanelHeight = 409; // the diagram panel's height
inline constexpr std::int32_t StripWidth = 460;  // the time axis: 460 s
inline constexpr std::int32_t StripHeight = 10;

// The strips' tops as loaded and as Reset puts them back: JCT #1 at StripTopFirst, then one
// StripSpacing apart. The link between two strips spans 70 of those pixels of travel (from the
// strip above to the middle of the strip below): 2800 ft at 40 ft per pixel.
inline constexpr std::int32_t StripTopFirst = 12;
inline constexpr std::int32_t StripSpacing = 75;
inline constexpr PerJunction<std::int32_t> LoadedStripTops{
    {StripTopFirst, StripTopFirst + StripSpacing, StripTopFirst + 2 * StripSpacing,
     StripTopFirst + 3 * StripSpacing, StripTopFirst + 4 * StripSpacing,
     StripTopFirst + 5 * StripSpacing}};
inline constexpr std::int32_t BottomStripTop = LoadedStripTops[JunctionCount];

// A moved strip keeps this many pixels from its neighbours' tops or jumps between them.
inline constexpr std::int32_t MinStripGap = 16;

// The height of link k when the diagram is laid out for the given strip tops: link 1 from the
// panel's top to JCT #1, link k from the bottom of strip k - 1 to the top of strip k, link 7
// from JCT #6 to the panel's bottom.
std::int32_t LinkHeight(const PerJunction<std::int32_t> &tops, int link);
