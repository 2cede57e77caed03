// FactoryTable: the creators of the component classes this module serves,
// in registration order.
#include "module/module_internal.h"

namespace orvel {
namespace {

struct FactoryTableEntry {
  ComponentID componentId;
  ComponentCreator creator;
};

// Plain storage: components register from static initialisers of other
// translation units, before any dynamic initialisation here could run.
FactoryTableEntry g_factoryTable[kFactoryTableSlots];
int g_factoryTableCount = 0;

}  // namespace

void RegisterComponentCreator(ComponentID id, ComponentCreator creator) {
  ModuleLockScope lock;
  if (g_factoryTableCount < kFactoryTableSlots && id != 0 && creator != nullptr) {
    g_factoryTable[g_factoryTableCount] = FactoryTableEntry{id, creator};
    ++g_factoryTableCount;
  }
}

ComponentCreator FindComponentCreator(ComponentID id) {
  ModuleLockScope lock;
  for (int i = 0; i < g_factoryTableCount; ++i) {
    if (g_factoryTable[i].componentId == id) return g_factoryTable[i].creator;
  }
  return nullptr;
}

int CopyComponentIDs(std::uint32_t* destination, std::uint32_t capacity) {
  ModuleLockScope lock;
  if (destination != nullptr) {
    for (std::uint32_t i = 0; i < capacity && i < static_cast<std::uint32_t>(g_factoryTableCount); ++i) {
      destination[i] = g_factoryTable[i].componentId;
    }
  }
  return g_factoryTableCount;
}

}  // namespace orvel
