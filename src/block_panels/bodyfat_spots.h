#pragma once
// Where the body-fat panel's controls sit on its switch-network picture
// (assets/bodyfat_switch_network.svg): component name -> rectangle in diagram pixels, the
// picture drawn at 1:1. Switch spots are left free of lines and carry their switch's
// name beside them; the node labels have a white field "spot_" + name under them.

#include <QString>

#include "block_panels/diagram_canvas.h"

namespace BodyfatPictures {
inline const char Diagram[] = ":/bodyfat_switch_network.svg";
}  // namespace BodyfatPictures

// Glyphs of switch SWn (n = 1..15): closed "btnSWOn" + n, open "btnSWOff" + n; of the
// force-loop switch 1Fn (n = 4..7): "btn1FOn" + n, "btn1FOff" + n.
QString BodyfatSwitchName(int n, bool closed);
QString BodyfatForceName(int n, bool closed);

QSize BodyfatDiagramSize();
const PanelSpots& BodyfatSpots();
QRect BodyfatSpotOf(const QString& name);
