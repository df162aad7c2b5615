#pragma once

#include "model/Common.h"

#include <QString>

#include <string_view>

// Small conversions shared by every room that writes the arterial's figures as text.

// Labels show integers in plain decimal, without separators.
inline QString Decimal(int value) {
    return QString::number(value);
}

inline QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A link by the junctions at its ends, as the report and the exported legend name it: link 1
// runs from the north end to JCT #1, link 7 from JCT #6 to the south end.
inline QString LinkCaption(int link) {
    if (link == 1) {
        return QStringLiteral("North end - JCT #1");
    }
    if (link == LinkCount) {
        return QStringLiteral("JCT #%1 - south end").arg(link - 1);
    }
    return QStringLiteral("JCT #%1 - JCT #%2").arg(link - 1).arg(link);
}
