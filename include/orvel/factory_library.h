// The contract between a module and the framework's factory library: the
// library's CreateComponent export and the slot layouts of the components it
// hands out (the ComponentFactory, the configuration store and the decoder).
// Modules call them; a factory library (libZandrop.so, Zandrop.dll on Windows)
// implements them. Slot order is binary interface: placeholders keep the
// numbering, no virtual destructor.
#pragma once

#include <cstdint>

#include "orvel/component.h"

namespace orvel {

// Exported by the factory library: creates the ComponentFactory for (361, 0).
using FactoryCreateComponentFn = IComponent* (*)(std::uint32_t componentId, std::uint32_t creatorId);

// ComponentFactory (ComponentID 361). The object that slot 5 hands out for 361
// is of the same kind and takes the idle notice in slot 10.
class IComponentFactory : public IComponent {
 public:
  // Slot 5: a new component of the given id, or null.
  virtual IComponent* CreateComponentById(std::uint32_t componentId, const char* configurationPath) = 0;
  // Slot 6: registers a path-utility record; *result receives two 32-bit words
  // (or stays null). The return value carries no meaning for the module.
  virtual int RegisterPathRecord(const char* configurationPath, int kind, void* record,
                                 std::int32_t* recordField4, void** result) = 0;
  virtual int ReservedSlot7() = 0;  // slot 7
  virtual int ReservedSlot8() = 0;  // slot 8
  virtual int ReservedSlot9() = 0;  // slot 9
  // Slot 10: the module that sends it has no live components left.
  virtual int IdleNotice(void* moduleInstanceHandle) = 0;

 protected:
  ~IComponentFactory() = default;
};

// Values the module passes to the configuration store's slot 8.
enum : int { ConfigStoreRootScope = 0x3FFFFFF4, ConfigStoreOpenRead = 1, ConfigStoreTypeText = 1 };

// Configuration store (ComponentID 991).
class IConfigStore : public IComponent {
 public:
  virtual int ReservedSlot5() = 0;  // slot 5
  virtual int ReservedSlot6() = 0;  // slot 6
  virtual int ReservedSlot7() = 0;  // slot 7
  // Slot 8: opens a key; non-zero on success with *handle filled in.
  virtual int OpenKey(int scope, const char* keyName, int access, int scopeAgain, std::int32_t* handle) = 0;
  virtual int ReservedSlot9() = 0;   // slot 9
  virtual int ReservedSlot10() = 0;  // slot 10
  // Slot 11: reads a text value into buffer (*size bytes on entry); non-zero on success.
  virtual int ReadValue(std::int32_t handle, const char* valueName, std::int32_t* type, char* buffer,
                        std::int32_t* size) = 0;

 protected:
  ~IConfigStore() = default;
};

// Decoder (ComponentID 64): turns a compressed document into its text.
class IDocumentDecoder : public IComponent {
 public:
  virtual int ReservedSlot5() = 0;  // slot 5
  virtual int ReservedSlot6() = 0;  // slot 6
  // Slot 7: decodes input into output; *outputLength holds the output capacity
  // on entry. Non-zero on success. A decoder may report in *outputLength the
  // size the text needs with its NUL: the text is then that many bytes less
  // one (NUL bytes inside it included). When that exceeds the capacity, the
  // module calls again with that much room, and at least twice as much as
  // before, until it is 2^31 - 2 bytes. One that leaves the value as it was is
  // read up to the end of the capacity. The room the module offers is
  // zero-filled, and the zero bytes at the end of what the decoder wrote are
  // not taken as text.
  virtual int Decode(const void* input, std::int32_t inputLength, void* parameterBlock, void* output,
                     std::int32_t* outputLength) = 0;

 protected:
  ~IDocumentDecoder() = default;
};

}  // namespace orvel
