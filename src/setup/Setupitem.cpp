#include "setup/Setupitem.h"

bool TSetupItem::IsEqual(const TSetupItem& other) const {
  return Kind == other.Kind && Param == other.Param && Target == other.Target &&
         Target2 == other.Target2;
}
