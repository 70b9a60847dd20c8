#pragma once
// The seven figures of a capture: one named index and one count for every array of
// them, so the channel records, the analysis window and the result files cannot
// disagree on how many there are or where each one stands.

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>

// The order is the one the channel records store and every result file writes.
enum class Figure : uint8_t {
  Average,    // counts
  VppNv,      // peak-to-peak noise referred to the input, nV
  RmsNv,      // RMS noise referred to the input, nV
  Enob,       // effective bits
  VppCount,   // peak-to-peak noise, counts
  RmsCount,   // RMS noise (standard deviation), counts
  NoiseFree,  // noise-free bits; stays last, the count follows it
};

inline constexpr int FigureCount = static_cast<int>(Figure::NoiseFree) + 1;

constexpr std::size_t FigureIndex(Figure f) { return static_cast<std::size_t>(f); }

// A figure that no value gave (a capture that kept none): it stands in the figure's
// place, is shown and written as an empty text and never taken as a number.
inline constexpr double NoFigure = std::numeric_limits<double>::quiet_NaN();
inline bool IsFigure(double value) { return !std::isnan(value); }

// The figures of one channel, by name or by position.
struct FigureValues : std::array<double, FigureCount> {
  using std::array<double, FigureCount>::operator[];
  constexpr double& operator[](Figure f) { return (*this)[FigureIndex(f)]; }
  constexpr const double& operator[](Figure f) const { return (*this)[FigureIndex(f)]; }

  // No figures: every one NoFigure.
  static constexpr FigureValues None() {
    FigureValues v;
    v.fill(NoFigure);
    return v;
  }
};

// The figures of one channel as a reader takes them: exactly FigureCount values.
using FigureSpan = std::span<const double, static_cast<std::size_t>(FigureCount)>;
