// The module as a host sees it: loaded by the system's loader, reached only
// through the exports and the component's table, slots called by number.
#include <gtest/gtest.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstring>
#include <string>

#include "orvel/orvel.h"

namespace {

using orvel::IXmlComponent;

#if defined(_WIN32)
void* OpenModule(const char* path) { return LoadLibraryA(path); }
void CloseModule(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }
void* FindExport(void* module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}
std::string LoadError() { return "LoadLibraryA error " + std::to_string(GetLastError()); }
// Member functions of the table take the object in ECX on 32-bit Windows.
#define ORVEL_MEMBER_CALL __attribute__((thiscall))
#else
void* OpenModule(const char* path) { return dlopen(path, RTLD_NOW); }
void CloseModule(void* module) { dlclose(module); }
void* FindExport(void* module, const char* name) { return dlsym(module, name); }
std::string LoadError() { return dlerror(); }
#define ORVEL_MEMBER_CALL
#endif

class Module {
 public:
  Module() : handle_(OpenModule(ORVEL_MODULE_PATH)) {}
  ~Module() {
    if (handle_ != nullptr) CloseModule(handle_);
  }
  void* handle() const { return handle_; }
  template <class Fn>
  Fn Export(const char* name) const {
    return reinterpret_cast<Fn>(FindExport(handle_, name));
  }

 private:
  void* handle_;
};

// Calls slot n of component's table directly, as a host built by another compiler would.
template <class Result, class... Args>
Result CallSlot(void* component, int n, Args... args) {
  using Fn = Result(ORVEL_MEMBER_CALL*)(void*, Args...);
  void** table = *static_cast<void***>(component);
  return reinterpret_cast<Fn>(table[n])(component, args...);
}

class AbiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(module_.handle(), nullptr) << LoadError();
    create_ = module_.Export<orvel::CreateComponentFn>("CreateComponent");
    canUnload_ = module_.Export<orvel::OrvelDllCanUnloadNowFn>("OrvelDllCanUnloadNow");
    ASSERT_NE(create_, nullptr);
    ASSERT_NE(canUnload_, nullptr);
    xml_ = static_cast<IXmlComponent*>(create_(orvel::XmlComponentID, 0));
    ASSERT_NE(xml_, nullptr);
  }
  void TearDown() override {
    if (xml_ != nullptr) xml_->Release(0);
  }
  std::string DocumentText() {
    char buf[4096];
    buf[0] = '\x7F';
    xml_->ReadDocumentText(buf, sizeof buf);
    return buf[0] == '\x7F' ? std::string("<untouched>") : std::string(buf);
  }

  Module module_;
  orvel::CreateComponentFn create_ = nullptr;
  orvel::OrvelDllCanUnloadNowFn canUnload_ = nullptr;
  IXmlComponent* xml_ = nullptr;
};

TEST_F(AbiTest, AllSevenExportsResolve) {
  const char* names[] = {"CreateComponent",  "SetDLLRegistry",   "OrvelDllFreeMap", "OrvelDllCanUnloadNow",
                         "SetFactoryHandle", "OrvelSetDllSafe", "GetComponentIDs"};
  for (const char* name : names) EXPECT_NE(FindExport(module_.handle(), name), nullptr) << name;
}

TEST_F(AbiTest, CommonSlotsByNumber) {
  EXPECT_EQ(CallSlot<unsigned int>(xml_, 0), 1u);
  EXPECT_EQ(CallSlot<int>(xml_, 1), 1);
  CallSlot<void>(xml_, 4, 5);
  EXPECT_EQ(CallSlot<int>(xml_, 3), 5);
  EXPECT_EQ(xml_->GetAutoRelease(), 5);
}

TEST_F(AbiTest, DocumentSlotsByNumber) {
  EXPECT_EQ(CallSlot<int>(xml_, 6, "<r>\n<a/>\n</r>"), 1);  // ParseText
  EXPECT_EQ(CallSlot<int>(xml_, 7), 1);                     // IsDocumentValid
  CallSlot<void>(xml_, 28, 7);                              // SetDocumentFlags
  EXPECT_EQ(CallSlot<int>(xml_, 27), 7);                    // GetDocumentFlags
  EXPECT_EQ(CallSlot<int>(xml_, 24), 0);                    // CurrentNodeType after a parse
  CallSlot<void>(xml_, 63);                                 // ReindentDocument
  char buf[64] = {};
  CallSlot<void>(xml_, 30, buf, 64);                        // ReadDocumentText
  EXPECT_STREQ(buf, "<r>\n\t<a/>\n</r>");
  EXPECT_EQ(xml_->GetDocumentFlags(), 7) << "parsing and re-indenting keep the document flags";
}

TEST_F(AbiTest, ReleaseHookAndConfigurationPathBehindTheInterface) {
  ASSERT_EQ(xml_->ParseText("<a>x</a>"), 1);
  for (int i = 0; i < 3; ++i) CallSlot<void>(xml_, 64);  // the release hook does nothing
  EXPECT_EQ(DocumentText(), "<a>x</a>");
  EXPECT_EQ(xml_->IsDocumentValid(), 1);

  char buf[8] = "#######";
  CallSlot<void>(xml_, 65, "abcdefg", buf, 7);  // does not fit with its NUL: untouched
  EXPECT_STREQ(buf, "#######");
  CallSlot<void>(xml_, 65, "abcdefg", buf, 8);
  EXPECT_STREQ(buf, "abcdefg");
}

// The same two slots by name through the host header's IXmlComponentTable: a
// wrong order there would call the other slot.
TEST_F(AbiTest, IXmlComponentTableReachesSlots64And65ByName) {
  auto* table = static_cast<orvel::IXmlComponentTable*>(xml_);
  auto setRegistry = module_.Export<orvel::SetDLLRegistryFn>("SetDLLRegistry");
  ASSERT_EQ(xml_->ParseText("<a>x</a>"), 1);
  table->ReservedNoOp();
  EXPECT_EQ(DocumentText(), "<a>x</a>");
  ASSERT_EQ(setRegistry("cfg/host.ini"), 0);
  char buf[16] = "###############";
  table->GetConfigurationPath(nullptr, buf, 12);  // 12 characters do not fit with their NUL
  EXPECT_STREQ(buf, "###############");
  table->GetConfigurationPath(nullptr, buf, 13);
  EXPECT_STREQ(buf, "cfg/host.ini");
  setRegistry(nullptr);
}

TEST_F(AbiTest, ReleaseBySlotDestroysAndLetsTheModuleUnload) {
  EXPECT_EQ(canUnload_(), 0);
  CallSlot<void>(xml_, 2, 0);
  xml_ = nullptr;
  EXPECT_EQ(canUnload_(), 1);
}

TEST_F(AbiTest, BooleansAreExactlyZeroOrOne) {
  const struct {
    const char* text;
    int parsed;
  } cases[] = {{"<a/>", 1}, {"", 0}, {nullptr, 0}, {"hello", 0}, {"<a><b></a>", 0}, {"<a/><b/>", 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(xml_->ParseText(c.text), c.parsed) << (c.text ? c.text : "null");
    EXPECT_EQ(xml_->IsDocumentValid(), c.parsed) << (c.text ? c.text : "null");
  }
}

TEST_F(AbiTest, FreshComponentHoldsAnEmptyInvalidDocument) {
  EXPECT_EQ(xml_->IsDocumentValid(), 0);
  EXPECT_EQ(xml_->GetDocumentFlags(), 0);
  EXPECT_EQ(xml_->CurrentNodeType(), 0);
  EXPECT_EQ(DocumentText(), "");
}

TEST_F(AbiTest, ReadDocumentTextFollowsTheTextRule) {
  ASSERT_EQ(xml_->ParseText("<abc/>"), 1);  // 6 bytes
  struct Case {
    int len;
    bool nullBuffer;
    const char* after;
  } cases[] = {
      {7, false, "<abc/>"}, {6, false, "#########"}, {1, false, "#########"},
      {0, false, "#########"}, {-1, false, "#########"}, {7, true, "#########"},
  };
  for (const Case& c : cases) {
    char buf[10] = "#########";
    xml_->ReadDocumentText(c.nullBuffer ? nullptr : buf, c.len);
    EXPECT_STREQ(buf, c.after) << "len " << c.len;
  }
}

TEST_F(AbiTest, ReadSlotsFollowTheTextRule) {
  ASSERT_EQ(xml_->ParseText("<r id=\"abcdef\"/>"), 1);
  ASSERT_EQ(xml_->SeekSiblingElement(nullptr), 1);
  char buf[10] = "#########";
  EXPECT_EQ(xml_->ReadAttribute("id", buf, 6), 1);  // value of 6 bytes: untouched, still true
  EXPECT_STREQ(buf, "#########");
  EXPECT_EQ(xml_->ReadAttribute("id", buf, 7), 1);
  EXPECT_STREQ(buf, "abcdef");
  std::strcpy(buf, "#########");
  EXPECT_EQ(xml_->ReadAttribute("id", buf, 0), 0);
  EXPECT_EQ(xml_->ReadAttribute("id", nullptr, 7), 0);
  EXPECT_EQ(xml_->ReadNodeName(buf, 0), 0);
  EXPECT_STREQ(buf, "#########");
  EXPECT_EQ(xml_->ReadAttribute("missing", buf, 10), 1);  // an absent item is the empty text
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(xml_->ReadNodeName(buf, 10), 1);
  EXPECT_STREQ(buf, "r");
}

TEST_F(AbiTest, RewindsClearThePositions) {
  ASSERT_EQ(xml_->ParseText("<r><a/><b/></r>"), 1);
  ASSERT_EQ(xml_->SeekSiblingElement(nullptr), 1);
  ASSERT_EQ(xml_->SeekChildElement("b"), 1);
  EXPECT_EQ(xml_->CurrentNodeType(), 1);
  xml_->RewindChildren();
  EXPECT_EQ(xml_->CurrentNodeType(), 1) << "main stays";
  ASSERT_EQ(xml_->SeekChildElement(nullptr), 1);
  char name[8] = {};
  xml_->ReadChildTagName(name, sizeof name);
  EXPECT_STREQ(name, "a") << "RewindChildren starts the children over";
  xml_->RewindSiblings();
  EXPECT_EQ(xml_->CurrentNodeType(), 0);
  EXPECT_EQ(xml_->SeekSiblingElement("r"), 1);
  xml_->RewindDocument();
  EXPECT_EQ(xml_->CurrentNodeType(), 0);
}

}  // namespace
