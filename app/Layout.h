#pragma once

#include "model/Common.h"
#include "model/Diagram.h"

#include <QSize>

#include <string>

// The window's geometry: where the diagram panel lies, the strips' loaded places, the gaps
// the re-layout keeps, and the names of the controls that come in rows.

inline constexpr QSize FormClientSize{730, 679};
inline constexpr int DiagramLeft = 80; // the diagram panel's left in the window
inline constexpr int PanelTop = 80;    // the diagram panel's top in the window
inline constexpr int DiagramWidth = 524;
inline constexpr int MarkerWidth = 25;
inline constexpr int QueueLinkLeft = 486;
inline constexpr int QueueLinkWidth = 35;
inline constexpr int BlinkInterval = 400; // ms of a failure lamp's blink

// The junction numbers beside the scale sit this far below their strips (JCT #6's 5 less).
inline constexpr int JunctionLabelDrop = PanelTop;
inline constexpr int LastJunctionLabelDrop = PanelTop - 5;
// The crossroad boxes sit this far below the top of JCT #2 and JCT #5.
inline constexpr int CrossroadBoxDrop = 50;

struct LinkPlace {
    int Top;
    int Height;
};

// Link k lies above strip k, link 7 below strip 6; the end links are 12 pixels high.
constexpr LinkPlace LoadedLinkPlace(int k) {
    if (k == 1) {
        return {0, LoadedStripTops[1]};
    }
    const int top = LoadedStripTops[k - 1] + StripHeight;
    return {top, (k == LinkCount ? PanelHeight : LoadedStripTops[k]) - top};
}

// Queue link k runs from the middle of strip k - 1 to the middle of strip k.
constexpr LinkPlace LoadedQueueLinkPlace(int k) {
    const int top = k == 1 ? 0 : LoadedStripTops[k - 1] + StripHeight / 2;
    const int bottom = k == LinkCount ? PanelHeight : LoadedStripTops[k] + StripHeight / 2;
    return {top, bottom - top};
}

// The design numbers strips, markers and links in one sequence down the diagram: link 1,
// strip 2, link 3, ..., strip 12, link 13.
inline std::string StripName(int junction) {
    return "TimeSpaceLight" + std::to_string(2 * junction);
}
inline std::string MarkerName(int junction) {
    return "Image" + std::to_string(2 * junction);
}
inline std::string LinkName(int link) {
    return "TimeSpaceLink" + std::to_string(2 * link - 1);
}
inline std::string QueueLinkName(int link) {
    return "SpaceLink" + std::to_string(2 * link - 1);
}
