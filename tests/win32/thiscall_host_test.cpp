// A host as another Windows compiler would write it: none of our headers, its
// own function-pointer types, exports found by name and by ordinal, slots
// called through the table with __thiscall (the object in ECX, the callee
// pops the arguments). A wrong convention on either side shows as wrong
// results or a stack that no longer balances over many calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace {

// The seven exports, __cdecl, in ordinal order.
typedef void*(__cdecl* CreateComponentProc)(unsigned int componentId, unsigned int creatorId);
typedef int(__cdecl* SetDllRegistryProc)(const char* path);
typedef void(__cdecl* FreeMapProc)();
typedef int(__cdecl* CanUnloadNowProc)();
typedef void*(__cdecl* SetFactoryHandleProc)(void* handle);
typedef int(__cdecl* SetDllSafeProc)(int value);
typedef int(__cdecl* GetComponentIdsProc)(unsigned int* ids, unsigned int capacity);

// Slots of the component's table used here, with the object as the first parameter.
typedef unsigned int(__thiscall* GetUintSlot)(void* self);                                   // 0
typedef int(__thiscall* GetIntSlot)(void* self);                                             // 1, 3, 7, 27
typedef void(__thiscall* SetIntSlot)(void* self, int value);                                 // 2, 4, 28
typedef int(__thiscall* TextArgSlot)(void* self, const char* text);                          // 6, 8, 9
typedef int(__thiscall* NameBufferSlot)(void* self, const char* name, char* buf, int len);   // 20
typedef void(__thiscall* BufferSlot)(void* self, char* buf, int len);                        // 30
typedef void(__thiscall* VoidSlot)(void* self);                                              // 63, 64
typedef void(__thiscall* ConfigPathSlot)(void* self, const char* name, char* buf, int len);  // 65

const char* const kExportNames[] = {"CreateComponent",      "SetDLLRegistry",   "OrvelDllFreeMap",
                                    "OrvelDllCanUnloadNow", "SetFactoryHandle", "OrvelSetDllSafe",
                                    "GetComponentIDs"};

template <class Slot>
Slot SlotOf(void* component, int n) {
  void** table = *static_cast<void***>(component);
  return reinterpret_cast<Slot>(table[n]);
}

class ThiscallHost : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA(ORVEL_MODULE_PATH);
    ASSERT_NE(module_, nullptr) << "LoadLibraryA error " << GetLastError();
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  FARPROC ByOrdinal(int ordinal) const { return GetProcAddress(module_, MAKEINTRESOURCEA(ordinal)); }
  template <class Proc>
  Proc Export(int ordinal) const {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(ByOrdinal(ordinal)));
  }

  HMODULE module_ = nullptr;
};

TEST_F(ThiscallHost, EachExportHasItsOrdinal) {
  for (int ordinal = 1; ordinal <= 7; ++ordinal) {
    const FARPROC byName = GetProcAddress(module_, kExportNames[ordinal - 1]);
    EXPECT_NE(byName, nullptr) << kExportNames[ordinal - 1];
    EXPECT_EQ(byName, ByOrdinal(ordinal)) << kExportNames[ordinal - 1];
  }
  EXPECT_EQ(ByOrdinal(8), nullptr) << "no eighth export";
  EXPECT_EQ(GetProcAddress(module_, "_CreateComponent"), nullptr) << "names are undecorated";
}

TEST_F(ThiscallHost, ExportsCalledByOrdinal) {
  unsigned int ids[3] = {7, 7, 7};
  EXPECT_EQ(Export<GetComponentIdsProc>(7)(ids, 0), 1);
  EXPECT_EQ(ids[0], 7u) << "capacity 0 writes nothing";
  EXPECT_EQ(Export<GetComponentIdsProc>(7)(ids, 3), 1);
  EXPECT_EQ(ids[0], 1u);
  EXPECT_EQ(ids[1], 7u);
  EXPECT_EQ(Export<SetDllRegistryProc>(2)(nullptr), 0);
  EXPECT_EQ(Export<SetDllSafeProc>(6)(1), 1);
  int marker = 0;
  EXPECT_EQ(Export<SetFactoryHandleProc>(5)(&marker), &marker);
  EXPECT_EQ(Export<SetFactoryHandleProc>(5)(nullptr), nullptr);
  EXPECT_EQ(Export<CreateComponentProc>(1)(2, 0), nullptr) << "no component 2";
  Export<FreeMapProc>(3)();
  EXPECT_EQ(Export<CanUnloadNowProc>(4)(), 1);
}

TEST_F(ThiscallHost, SlotsCalledWithThiscall) {
  void* xml = Export<CreateComponentProc>(1)(1, 42);
  ASSERT_NE(xml, nullptr);
  EXPECT_EQ(Export<CanUnloadNowProc>(4)(), 0);
  EXPECT_EQ(SlotOf<GetUintSlot>(xml, 0)(xml), 1u);  // GetComponentID
  EXPECT_EQ(SlotOf<GetIntSlot>(xml, 1)(xml), 1);    // ReservedQuery
  SlotOf<SetIntSlot>(xml, 4)(xml, 9);               // SetAutoRelease
  EXPECT_EQ(SlotOf<GetIntSlot>(xml, 3)(xml), 9);    // GetAutoRelease

  // Many calls in a row: a convention mismatch would have unbalanced the stack by now.
  for (int round = 0; round < 200; ++round) {
    ASSERT_EQ(SlotOf<TextArgSlot>(xml, 6)(xml, "<shelf><book id=\"7\">Dune</book></shelf>"), 1);  // ParseText
    ASSERT_EQ(SlotOf<GetIntSlot>(xml, 7)(xml), 1);            // IsDocumentValid
    ASSERT_EQ(SlotOf<TextArgSlot>(xml, 8)(xml, "shelf"), 1);  // SeekSiblingElement
    ASSERT_EQ(SlotOf<TextArgSlot>(xml, 9)(xml, "book"), 1);   // SeekChildElement
  }
  char buf[16] = "#";
  EXPECT_EQ(SlotOf<NameBufferSlot>(xml, 21)(xml, "id", buf, sizeof buf), 1);  // ReadChildAttribute
  EXPECT_STREQ(buf, "7");
  std::strcpy(buf, "#");
  EXPECT_EQ(SlotOf<NameBufferSlot>(xml, 21)(xml, "id", buf, 1), 1) << "no room for the NUL: untouched";
  EXPECT_STREQ(buf, "#");

  SlotOf<SetIntSlot>(xml, 28)(xml, 8);  // SetDocumentFlags
  EXPECT_EQ(SlotOf<GetIntSlot>(xml, 27)(xml), 8);
  SlotOf<VoidSlot>(xml, 64)(xml);  // the release hook: nothing happens
  char text[64] = "";
  SlotOf<BufferSlot>(xml, 30)(xml, text, sizeof text);  // ReadDocumentText
  EXPECT_STREQ(text, "<shelf><book id=\"7\">Dune</book></shelf>");
  char path[8] = "#";
  SlotOf<ConfigPathSlot>(xml, 65)(xml, "a.ini", path, sizeof path);  // GetConfigurationPath
  EXPECT_STREQ(path, "a.ini");

  SlotOf<SetIntSlot>(xml, 2)(xml, 0);  // Release
  EXPECT_EQ(Export<CanUnloadNowProc>(4)(), 1);
}

}  // namespace
