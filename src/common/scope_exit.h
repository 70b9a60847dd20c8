#pragma once
// Runs its action when the scope is left, by a return or by an error: the runs and
// calibrations unlock their controls and put the board back this way.

#include <functional>
#include <utility>

class ScopeExit {
public:
  explicit ScopeExit(std::function<void()> f) : f_(std::move(f)) {}
  ~ScopeExit() {
    if (f_) f_();
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  // The action will not run.
  void Dismiss() { f_ = nullptr; }

private:
  std::function<void()> f_;
};
