// Each member of XmlComponent sits at its slot number: the table a host calls
// through is fixed, 64 and 65 included.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "component/slot_layout.h"

namespace orvel {
namespace {

template <std::size_t... Slot>
std::vector<std::ptrdiff_t> ActualSlots(std::index_sequence<Slot...>) {
  return {VirtualSlotOf(std::get<Slot>(kXmlComponentSlots))...};
}

TEST(SlotLayout, EveryMemberSitsAtItsSlot) {
#if !(defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)))
  GTEST_SKIP() << "member-pointer form of this ABI is not read";
#endif
  const std::vector<std::ptrdiff_t> slots =
      ActualSlots(std::make_index_sequence<std::tuple_size<decltype(kXmlComponentSlots)>::value>());
  ASSERT_EQ(slots.size(), 66u);
  for (std::size_t i = 0; i < slots.size(); ++i) EXPECT_EQ(slots[i], static_cast<std::ptrdiff_t>(i)) << "slot " << i;
}

TEST(SlotLayout, InterfaceSlotsMatchTheHostHeader) {
  // What a host compiles against must agree with the component's table.
  EXPECT_EQ(VirtualSlotOf(&IXmlComponent::LoadDocumentFile), 5);
  EXPECT_EQ(VirtualSlotOf(&IXmlComponent::ReadDocumentText), 30);
  EXPECT_EQ(VirtualSlotOf(&IXmlComponent::ReindentDocument), 63);
  EXPECT_EQ(VirtualSlotOf(&IXmlComponentTable::ReservedNoOp), 64);
  EXPECT_EQ(VirtualSlotOf(&IXmlComponentTable::GetConfigurationPath), 65);
  EXPECT_EQ(VirtualSlotOf(&ComponentBase<IXmlComponentTable>::ReservedNoOp), 64);
  EXPECT_EQ(VirtualSlotOf(&ComponentBase<IXmlComponentTable>::GetConfigurationPath), 65);
  // Other components' tables put the two right behind their own interface.
  EXPECT_EQ(VirtualSlotOf(&ComponentBase<IComponent>::ReservedNoOp), 5);
  EXPECT_EQ(VirtualSlotOf(&ComponentBase<IComponent>::GetConfigurationPath), 6);
}

}  // namespace
}  // namespace orvel
