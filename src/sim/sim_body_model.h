#pragma once
// The body-fat test's subject: a body of five segments (two arms, trunk, two legs), each
// a resistance with a capacitance across it, meeting at the shoulders and the hips, and
// eight contacts, a current and a sense contact on each hand and foot, each through its
// own skin impedance. A four-electrode measurement drives a current from one contact to
// another and senses the voltage between two more; the transfer impedance is that
// voltage over the current.
//
// Contacts: 0 left hand current, 1 left hand sense, 2 right hand current, 3 right hand
// sense, 4 left foot current, 5 left foot sense, 6 right foot current, 7 right foot sense.

#include <array>
#include <complex>

struct SimSegment {
  double ohms;
  double farads;  // across the resistance
  std::complex<double> Impedance(double hz) const;
};

struct SimBodyModel {
  enum Segment { LeftArm, RightArm, Trunk, LeftLeg, RightLeg, SegmentCount };
  static constexpr int ContactCount = 8;

  std::array<SimSegment, SegmentCount> segments{{
      {270, 1.2e-9},   // left arm
      {260, 1.2e-9},   // right arm
      {28, 12e-9},     // trunk
      {240, 1.5e-9},   // left leg
      {230, 1.5e-9},   // right leg
  }};
  SimSegment skin{150, 47e-9};  // every contact

  // V(sensePlus) - V(senseMinus) per ampere driven into drivePlus and out of driveMinus;
  // 0 when a contact number lies outside 0..7 or the two drive contacts are the same.
  std::complex<double> Transfer(int drivePlus, int driveMinus, int sensePlus, int senseMinus, double hz) const;
};
