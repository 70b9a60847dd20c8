#pragma once
// The register-driven windows by name, and sets of them. The link layer knows no
// window: a job names the windows it refreshes, and the program object keeps the one
// list that runs them, in the order below: the refresh chain's after a register write.

#include <cstdint>
#include <initializer_list>

enum class RefreshView : uint8_t {
  RegisterView,
  MemoryView,
  AdcPanel,
  OpAmpPanel,
  DacPanel,
  WaveGenerator,
  WaveViewer,
  BodyfatPanel,
};

// A set of register-driven windows; the order they refresh in is the list's, not the
// order they were named in.
class RefreshViews {
public:
  constexpr RefreshViews() = default;
  constexpr RefreshViews(RefreshView v) : bits_(Bit(v)) {}
  constexpr RefreshViews(std::initializer_list<RefreshView> views) {
    for (RefreshView v : views) bits_ |= Bit(v);
  }
  static constexpr RefreshViews All() {
    RefreshViews s;
    s.bits_ = 0xFF;
    return s;
  }
  constexpr RefreshViews Without(RefreshView v) const {
    RefreshViews s = *this;
    s.bits_ &= static_cast<uint8_t>(~Bit(v));
    return s;
  }
  constexpr bool Has(RefreshView v) const { return (bits_ & Bit(v)) != 0; }
  constexpr bool operator==(const RefreshViews&) const = default;

private:
  static constexpr uint8_t Bit(RefreshView v) { return static_cast<uint8_t>(1u << static_cast<unsigned>(v)); }
  uint8_t bits_ = 0;
};

// What the register API refreshes: every window after a register write (UpdateReg,
// WriteReg), the memory view and the ADC panel alone after UpdateRegADC.
inline constexpr RefreshViews RefreshChainViews = RefreshViews::All();
inline constexpr RefreshViews AdcChainViews{RefreshView::MemoryView, RefreshView::AdcPanel};
