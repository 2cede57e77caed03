// The stand-in factory library on its own: what it creates, the store's
// reads, and that every object it hands out is freed when released.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "orvel/constants.h"
#include "orvel/factory_library.h"
#include "platform/platform.h"
#include "tests/module/host_process.h"

namespace orvel {
namespace {

using CountFn = int (*)();

class ZandropLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = platform::LoadModule(ORVEL_ZANDROP);
    ASSERT_NE(library_, nullptr);
    create_ = reinterpret_cast<FactoryCreateComponentFn>(platform::FindSymbol(library_, "CreateComponent"));
    liveObjects_ = reinterpret_cast<CountFn>(platform::FindSymbol(library_, "ZandropLiveObjectCount"));
    ASSERT_NE(create_, nullptr);
    ASSERT_NE(liveObjects_, nullptr);
  }
  void TearDown() override { platform::ReleaseModuleReference(library_); }

  IComponentFactory* Factory() { return static_cast<IComponentFactory*>(create_(FactoryComponentID, 0)); }

  platform::ModuleHandle library_ = nullptr;
  FactoryCreateComponentFn create_ = nullptr;
  CountFn liveObjects_ = nullptr;
};

TEST_F(ZandropLibrary, CreatesTheFactoryAndTheComponentsItServes) {
  EXPECT_EQ(create_(XmlComponentID, 0), nullptr);
  EXPECT_EQ(create_(ConfigStoreComponentID, 0), nullptr);
  IComponentFactory* factory = Factory();
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(factory->GetComponentID(), 361u);
  const int before = liveObjects_();
  const struct {
    ComponentID id;
    bool served;
    int extraObjects;  // while it is held
  } cases[] = {{361, true, 0}, {991, true, 1}, {64, true, 1}, {1, false, 0}, {0, false, 0}};
  for (const auto& c : cases) {
    IComponent* component = factory->CreateComponentById(c.id, "");
    ASSERT_EQ(component != nullptr, c.served) << c.id;
    if (component == nullptr) continue;
    EXPECT_EQ(component->GetComponentID(), c.id);
    component->SetAutoRelease(5);
    EXPECT_EQ(component->GetAutoRelease(), 5);
    EXPECT_EQ(liveObjects_(), before + c.extraObjects) << c.id;
    component->Release(0);
    EXPECT_EQ(liveObjects_(), before) << "released component " << c.id << " is freed";
  }
}

TEST_F(ZandropLibrary, HandsOutOneFactoryPerProcess) {
  IComponentFactory* factory = Factory();
  ASSERT_NE(factory, nullptr);
  const int before = liveObjects_();
  // What the module does per request: the export, slot 5 for 361, and never a release.
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(Factory(), factory);
    EXPECT_EQ(factory->CreateComponentById(FactoryComponentID, ""), factory);
  }
  factory->Release(0);  // a host that does release it leaves it for the next user
  EXPECT_EQ(Factory(), factory);
  EXPECT_EQ(liveObjects_(), before);
}

TEST_F(ZandropLibrary, RegistrationHandsBackASerialAndTheMagic) {
  IComponentFactory* factory = Factory();
  std::int32_t record[28] = {};
  void* result = nullptr;
  EXPECT_EQ(factory->RegisterPathRecord("", 1, record, &record[1], nullptr), 0);
  ASSERT_EQ(factory->RegisterPathRecord("", 1, record, &record[1], &result), 1);
  ASSERT_NE(result, nullptr);
  std::int32_t words[2];
  std::memcpy(words, result, sizeof words);
  EXPECT_EQ(words[0], record[1]);
  EXPECT_EQ(words[1], 0x5A4E4452);
  ASSERT_EQ(factory->RegisterPathRecord("", 1, record, &record[1], &result), 1);
  std::memcpy(words, result, sizeof words);
  EXPECT_EQ(words[0], record[1]);
  EXPECT_GT(record[1], 1) << "serial grows";
  factory->Release(0);
}

TEST_F(ZandropLibrary, ConfigurationStoreReadsTheIniFileItWasGiven) {
  test::TempDir dir;
  const std::string ini = dir.Write("Orvel.ini", "[orvel_rootpath]\norvel_rootpath_data=/r\nshort=\"abcdefgh\"\n");
  IComponentFactory* factory = Factory();
  auto* store = static_cast<IConfigStore*>(factory->CreateComponentById(ConfigStoreComponentID, ini.c_str()));
  ASSERT_NE(store, nullptr);
  std::int32_t handle = 0;
  EXPECT_EQ(store->OpenKey(ConfigStoreRootScope, nullptr, 1, ConfigStoreRootScope, &handle), 0);
  ASSERT_EQ(store->OpenKey(ConfigStoreRootScope, "orvel_rootpath", 1, ConfigStoreRootScope, &handle), 1);
  const struct {
    const char* what;
    std::int32_t handle;
    const char* name;
    std::int32_t size;
    int result;
    const char* buffer;  // after the call
  } cases[] = {
      {"value", handle, "orvel_rootpath_data", 260, 1, "/r"},
      {"exact fit", handle, "short", 9, 1, "abcdefgh"},
      {"one byte short", handle, "short", 8, 0, "untouched"},
      {"missing value", handle, "nothing", 260, 0, "untouched"},
      {"unknown handle", handle + 1, "short", 260, 0, "untouched"},
      {"zero handle", 0, "short", 260, 0, "untouched"},
      {"null name", handle, nullptr, 260, 0, "untouched"},
      {"no room", handle, "short", 0, 0, "untouched"},
  };
  for (const auto& c : cases) {
    char buffer[260];
    std::strcpy(buffer, "untouched");
    std::int32_t type = 0;
    std::int32_t size = c.size;
    EXPECT_EQ(store->ReadValue(c.handle, c.name, &type, buffer, &size), c.result) << c.what;
    EXPECT_STREQ(buffer, c.buffer) << c.what;
    if (c.result == 1) {
      EXPECT_EQ(size, static_cast<std::int32_t>(std::strlen(c.buffer) + 1)) << c.what;
      EXPECT_EQ(type, ConfigStoreTypeText) << c.what;
    }
  }
  EXPECT_EQ(store->ReadValue(handle, "short", nullptr, nullptr, nullptr), 0);
  store->Release(0);
  factory->Release(0);
}

TEST_F(ZandropLibrary, DecoderWritesANulTerminatedTextAndReportsTheSizeItNeeds) {
  test::TempDir dir;
  const std::string packed =
      test::ReadFile(dir.WriteGzip("doc.xmlz", "<doc>hello</doc>"));  // 16 bytes of text
  const std::string corrupt = packed.substr(0, packed.size() - 3);
  std::string badCheck = packed;
  badCheck[badCheck.size() - 5] ^= 0x55;  // the CRC-32 of the text, after the data
  IComponentFactory* factory = Factory();
  auto* decoder = static_cast<IDocumentDecoder*>(factory->CreateComponentById(DecoderComponentID, ""));
  ASSERT_NE(decoder, nullptr);
  const struct {
    const char* what;
    const std::string& input;
    const char* phrase;
    std::int32_t capacity;
    int result;
    std::int32_t length;  // after the call
    const char* text;     // the buffer up to its NUL; "#": untouched
  } cases[] = {
      {"room to spare", packed, "Pumlo", 100, 1, 17, "<doc>hello</doc>"},
      {"exact room", packed, "Pumlo", 17, 1, 17, "<doc>hello</doc>"},
      {"one byte short", packed, "Pumlo", 16, 1, 17, "<doc>hello</doc"},
      {"room for the NUL only", packed, "Pumlo", 1, 1, 17, ""},
      {"no room", packed, "Pumlo", 0, 0, 0, "#"},
      {"wrong pass phrase", packed, "Pumla", 100, 0, 100, "#"},
      {"truncated input", corrupt, "Pumlo", 100, 0, 100, ""},
      {"a wrong check sum", badCheck, "Pumlo", 100, 0, 100, ""},
      // Decoding stops once the room is full: the check sum after the text is not reached.
      {"a wrong check sum beyond the room", badCheck, "Pumlo", 5, 1, 17, "<doc"},
  };
  for (const auto& c : cases) {
    char parameters[128] = {};
    std::strcpy(parameters, c.phrase);
    char output[101];
    std::memset(output, '#', sizeof output);
    output[100] = '\0';
    std::int32_t length = c.capacity;
    EXPECT_EQ(decoder->Decode(c.input.data(), static_cast<std::int32_t>(c.input.size()), parameters, output,
                              &length),
              c.result)
        << c.what;
    EXPECT_EQ(length, c.length) << c.what;
    EXPECT_STREQ(c.text[0] == '#' ? std::string(output, 1).c_str() : output, c.text) << c.what;
    if (c.result == 1) {
      EXPECT_NE(std::memchr(output, '\0', static_cast<std::size_t>(c.capacity)), nullptr)
          << c.what << ": NUL within the capacity";
    }
  }
  decoder->Release(0);
  factory->Release(0);
}

}  // namespace
}  // namespace orvel
