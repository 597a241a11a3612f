// One unit of work of a setup list: what to act on and in how many steps.
#pragma once
#include <cstdint>
#include <string>

// Stored as the 32-bit code; an item may carry a code that no list has an action for.
enum class TItemKind : int32_t {
  skCloseProgram = 1,
  skRemoveFolder = 11,
  skDeleteFile = 12,
  skRemoveVxd = 13,
  skRemoveRunEntry = 15,
};

class TSetupItem {
public:
  TSetupItem() = default;
  TSetupItem(TItemKind kind, const std::string& target, int32_t weight)
      : Kind(kind), Target(target), Weight(weight) {}
  virtual ~TSetupItem() = default;

  // Identity: kind, param and both texts, byte for byte. Weight and progress do not count.
  bool IsEqual(const TSetupItem& other) const;

  TItemKind Kind{};
  int32_t Param = 0;
  std::string Target;
  std::string Target2;
  int32_t Weight = 0;
  int32_t StepsDone = 0;
};
