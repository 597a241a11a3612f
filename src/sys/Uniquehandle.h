// Move-only owner of one resource. The traits say what "none" is and how to let go: for files
// INVALID_HANDLE_VALUE, for most others null. No platform headers here, so that the code which
// also builds natively (the catalogue's files and blocks) owns its resources the same way; the
// Windows traits are in sys/Handle.h.
#pragma once

template <typename Traits>
class UniqueHandle {
public:
  using Type = typename Traits::Type;
  UniqueHandle() noexcept : value_(Traits::Invalid()) {}
  explicit UniqueHandle(Type value) noexcept : value_(value) {}
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  Type Get() const noexcept { return value_; }
  bool Valid() const noexcept { return value_ != Traits::Invalid(); }
  explicit operator bool() const noexcept { return Valid(); }
  Type Release() noexcept {
    Type v = value_;
    value_ = Traits::Invalid();
    return v;
  }
  void Reset(Type value = Traits::Invalid()) noexcept {
    // Owners close in destructors, often on the way out of a failure: Traits::Close must leave
    // the caller's error as it was. The closes keep it themselves, out of line, once per kind
    // of close rather than in every owner's inlined code.
    if (Valid()) Traits::Close(value_);
    value_ = value;
  }
  // For out-parameters of the platform calls: frees what is held and hands out the slot.
  Type* Put() noexcept {
    Reset();
    return &value_;
  }

private:
  Type value_;
};

// The traits of the kinds whose empty value is null, so that each owner is one line, as WIL's
// typedefs are: `using UniqueHKey = UniqueHandle<NullEmptyTraits<HKEY, CloseRegKey>>;`.
template <typename T, auto CloseFn>
struct NullEmptyTraits {
  using Type = T;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type value) noexcept { CloseFn(value); }
};
