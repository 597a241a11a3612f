// Runs a function when its scope ends, on every way out (an exception too), unless dismissed:
// for state that must be put back, not for handles (those have UniqueHandle).
//   ScopeGuard restore([this] { busy_ = false; });
// The function runs in a destructor: it must not throw.
#pragma once
#include <utility>

template <typename Fn>
class ScopeGuard {
public:
  explicit ScopeGuard(Fn fn) noexcept : fn_(std::move(fn)) {}
  ~ScopeGuard() {
    if (active_) fn_();
  }
  ScopeGuard(const ScopeGuard&) = delete;
  ScopeGuard& operator=(const ScopeGuard&) = delete;

  void Dismiss() noexcept { active_ = false; }

private:
  Fn fn_;
  bool active_ = true;
};
