// One unit of work of a setup list: what to act on and in how many steps.
#pragma once
#include <cstdint>
#include <string>

constexpr int32_t skCloseProgram = 1;
constexpr int32_t skRemoveFolder = 11;
constexpr int32_t skDeleteFile = 12;
constexpr int32_t skRemoveVxd = 13;
constexpr int32_t skRemoveRunEntry = 15;

class TSetupItem {
public:
  TSetupItem() = default;
  TSetupItem(int32_t kind, const std::string& target, int32_t weight)
      : Kind(kind), Target(target), Weight(weight) {}
  virtual ~TSetupItem() = default;

  // Identity: kind, param and both texts, byte for byte. Weight and progress do not count.
  bool IsEqual(const TSetupItem& other) const;

  int32_t Kind = 0;
  int32_t Param = 0;
  std::string Target;
  std::string Target2;
  int32_t Weight = 0;
  int32_t StepsDone = 0;
};
