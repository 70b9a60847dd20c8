#include "block_panels/bodyfat_spots.h"

QString BodyfatSwitchName(int n, bool closed) { return QString(closed ? "btnSWOn" : "btnSWOff") + QString::number(n); }

QString BodyfatForceName(int n, bool closed) { return QString(closed ? "btn1FOn" : "btn1FOff") + QString::number(n); }

namespace {

constexpr int GlyphW = 30, GlyphH = 14;

// Left edge and centre line of each switch.
struct SwitchAt {
  int n;
  int x, y;
};
constexpr SwitchAt Switches[] = {
    // Excitation: DAC 2 through the filter or its bypass, then on to the force loop.
    {6, 192, 96}, {7, 192, 156}, {8, 478, 96}, {1, 584, 96},
    // Sense amplifier OP: inputs, bias, feedback, output.
    {2, 96, 292}, {3, 96, 336}, {9, 186, 254}, {4, 186, 392}, {5, 264, 314},
    // Current amplifier OP2: input and feedback.
    {15, 448, 336}, {14, 500, 392},
    // Buffer OP3: its input multiplexer.
    {10, 744, 268}, {11, 744, 296}, {12, 744, 324}, {13, 744, 352},
};
// The force-loop switches, one per electrode.
constexpr int ForceX = 656;
constexpr int ForceY[] = {68, 108, 148, 188};

PanelSpots BuildSpots() {
  PanelSpots s;
  for (const SwitchAt& w : Switches) {
    const QRect r(w.x, w.y - GlyphH / 2, GlyphW, GlyphH);
    s.push_back({BodyfatSwitchName(w.n, true), r});
    s.push_back({BodyfatSwitchName(w.n, false), r});
  }
  for (int i = 0; i < 4; ++i) {
    const QRect r(ForceX, ForceY[i] - GlyphH / 2, GlyphW, GlyphH);
    s.push_back({BodyfatForceName(4 + i, true), r});
    s.push_back({BodyfatForceName(4 + i, false), r});
  }
  const PanelSpot labels[] = {
      {"lblDaco2", {98, 88, 56, 16}, true},   {"lblLpf_In", {236, 88, 56, 16}, true},
      {"lblLpf_O", {384, 88, 56, 16}, true},  {"lblLpf_fbp", {236, 148, 56, 16}, true},
      {"lblAi8", {24, 284, 56, 16}, true},    {"lblAi9", {24, 328, 56, 16}, true},
      {"lblOpo", {306, 306, 48, 16}, true},   {"lblOpo2", {594, 306, 48, 16}, true},
  };
  s.insert(s.end(), std::begin(labels), std::end(labels));
  return s;
}

}  // namespace

QSize BodyfatDiagramSize() { return {940, 480}; }

const PanelSpots& BodyfatSpots() {
  static const PanelSpots spots = BuildSpots();
  return spots;
}

QRect BodyfatSpotOf(const QString& name) { return SpotIn(BodyfatSpots(), name); }
