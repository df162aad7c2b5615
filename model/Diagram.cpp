#include "model/Diagram.h"

std::int32_t LinkHeight(const PerJunction<std::int32_t> &tops, int link) {
    if (link == 1) {
        return tops[1];
    }
    const std::int32_t top = tops[link - 1] + StripHeight;
    return (link == LinkCount ? PanelHeight : tops[link]) - top;
}
