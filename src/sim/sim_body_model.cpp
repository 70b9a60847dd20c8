#include "sim/sim_body_model.h"

#include <cmath>
#include <numbers>
#include <vector>

std::complex<double> SimSegment::Impedance(double hz) const {
  return 1.0 / std::complex<double>(1 / ohms, 2 * std::numbers::pi * hz * farads);
}

namespace {
using Complex = std::complex<double>;

// Nodes: the eight contacts, the hands' and feet's ends of the limbs, shoulders, hips.
enum Node { LeftHand = 8, RightHand, LeftFoot, RightFoot, Shoulders, Hips, NodeCount };
constexpr int kLimbEnd[8] = {LeftHand, LeftHand, RightHand, RightHand, LeftFoot, LeftFoot, RightFoot, RightFoot};

// Node voltages for a unit current into node `in` and out of node `out` (which is held
// at 0), by nodal analysis: Y v = i, solved by Gaussian elimination with pivoting.
std::vector<Complex> Solve(std::vector<std::vector<Complex>> y, int in, int out) {
  const int n = NodeCount;
  std::vector<Complex> i(n, 0.0);
  i[in] = 1.0;
  // Ground the out node: its row and column become the identity.
  for (int k = 0; k < n; ++k) y[out][k] = y[k][out] = 0.0;
  y[out][out] = 1.0;
  i[out] = 0.0;
  for (int c = 0; c < n; ++c) {
    int p = c;
    for (int r = c + 1; r < n; ++r)
      if (std::abs(y[r][c]) > std::abs(y[p][c])) p = r;
    std::swap(y[c], y[p]);
    std::swap(i[c], i[p]);
    for (int r = c + 1; r < n; ++r) {
      const Complex f = y[r][c] / y[c][c];
      for (int k = c; k < n; ++k) y[r][k] -= f * y[c][k];
      i[r] -= f * i[c];
    }
  }
  std::vector<Complex> v(n, 0.0);
  for (int c = n - 1; c >= 0; --c) {
    Complex sum = i[c];
    for (int k = c + 1; k < n; ++k) sum -= y[c][k] * v[k];
    v[c] = sum / y[c][c];
  }
  return v;
}
}  // namespace

Complex SimBodyModel::Transfer(int drivePlus, int driveMinus, int sensePlus, int senseMinus, double hz) const {
  auto contact = [](int c) { return c >= 0 && c < ContactCount; };
  if (!contact(drivePlus) || !contact(driveMinus) || !contact(sensePlus) || !contact(senseMinus) ||
      drivePlus == driveMinus)
    return 0.0;
  std::vector<std::vector<Complex>> y(NodeCount, std::vector<Complex>(NodeCount, 0.0));
  auto link = [&](int a, int b, Complex z) {
    const Complex g = 1.0 / z;
    y[a][a] += g;
    y[b][b] += g;
    y[a][b] -= g;
    y[b][a] -= g;
  };
  for (int c = 0; c < ContactCount; ++c) link(c, kLimbEnd[c], skin.Impedance(hz));
  link(LeftHand, Shoulders, segments[LeftArm].Impedance(hz));
  link(RightHand, Shoulders, segments[RightArm].Impedance(hz));
  link(Shoulders, Hips, segments[Trunk].Impedance(hz));
  link(LeftFoot, Hips, segments[LeftLeg].Impedance(hz));
  link(RightFoot, Hips, segments[RightLeg].Impedance(hz));
  const std::vector<Complex> v = Solve(std::move(y), drivePlus, driveMinus);
  return v[sensePlus] - v[senseMinus];
}
