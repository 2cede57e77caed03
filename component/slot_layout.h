// The binary layout of XmlComponent's table, pinned: the slot count and the
// host header's table type at compile time, and each member's slot number (64
// and 65 included) by the tests through VirtualSlotOf. New operations go only
// at the end of IXmlComponent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <type_traits>

#include "component/xml_component.h"

namespace orvel {

// The members of XmlComponent's table, in slot order 0 to 65.
inline constexpr auto kXmlComponentSlots = std::make_tuple(
    &XmlComponent::GetComponentID, &XmlComponent::ReservedQuery, &XmlComponent::Release,
    &XmlComponent::GetAutoRelease, &XmlComponent::SetAutoRelease, &XmlComponent::LoadDocumentFile,
    &XmlComponent::ParseText, &XmlComponent::IsDocumentValid, &XmlComponent::SeekSiblingElement,
    &XmlComponent::SeekChildElement, &XmlComponent::EnterElement, &XmlComponent::LeaveElement,
    &XmlComponent::RewindChildren, &XmlComponent::RewindSiblings, &XmlComponent::RewindDocument,
    &XmlComponent::ReadNodeName, &XmlComponent::ReadChildTagName, &XmlComponent::ReadContent,
    &XmlComponent::ReadChildContent, &XmlComponent::ReadInnerMarkup, &XmlComponent::ReadAttribute,
    &XmlComponent::ReadChildAttribute, &XmlComponent::ReadAttributeName, &XmlComponent::SeekNode,
    &XmlComponent::CurrentNodeType, &XmlComponent::MarkPosition, &XmlComponent::ReturnToMark,
    &XmlComponent::GetDocumentFlags, &XmlComponent::SetDocumentFlags, &XmlComponent::SaveDocumentFile,
    &XmlComponent::ReadDocumentText, &XmlComponent::AppendElementNumber, &XmlComponent::AppendElement,
    &XmlComponent::InsertElementNumber, &XmlComponent::InsertElement, &XmlComponent::AppendChildElementNumber,
    &XmlComponent::AppendChildElement, &XmlComponent::InsertChildElementNumber, &XmlComponent::InsertChildElement,
    &XmlComponent::WriteAttributeNumber, &XmlComponent::WriteAttribute, &XmlComponent::WriteChildAttributeNumber,
    &XmlComponent::WriteChildAttribute, &XmlComponent::AppendMarkup, &XmlComponent::InsertMarkup,
    &XmlComponent::ReadElementMarkup, &XmlComponent::AppendChildMarkup, &XmlComponent::InsertChildMarkup,
    &XmlComponent::ReadChildElementMarkup, &XmlComponent::AppendNode, &XmlComponent::InsertNode,
    &XmlComponent::DeleteElement, &XmlComponent::DeleteChildElement, &XmlComponent::DeleteNode,
    &XmlComponent::PutAttributeNumber, &XmlComponent::PutAttribute, &XmlComponent::PutChildAttributeNumber,
    &XmlComponent::PutChildAttribute, &XmlComponent::WriteContentNumber, &XmlComponent::WriteContent,
    &XmlComponent::WriteChildContentNumber, &XmlComponent::WriteChildContent, &XmlComponent::ReplaceInnerMarkup,
    &XmlComponent::ReindentDocument, &XmlComponent::ReservedNoOp, &XmlComponent::GetConfigurationPath);

static_assert(
    std::tuple_size<decltype(kXmlComponentSlots)>::value == kXmlComponentTableSlots &&
        kXmlComponentTableSlots == kXmlInterfaceSlots + 2,
    "XmlComponent's table is IXmlComponent's 64 slots plus the release hook and GetConfigurationPath");
static_assert(std::is_base_of<IXmlComponentTable, XmlComponent>::value,
              "the table hosts are given is the one the component implements");
template <std::size_t Slot>
using XmlComponentSlotType = std::tuple_element_t<Slot, std::remove_const_t<decltype(kXmlComponentSlots)>>;
static_assert(std::is_same<XmlComponentSlotType<64>, void (XmlComponent::*)()>::value,
              "slot 64 is the release hook, overridden by XmlComponent");
static_assert(std::is_same<XmlComponentSlotType<65>,
                           void (ComponentBase<IXmlComponentTable>::*)(const char*, char*, int)>::value,
              "slot 65 is ComponentBase's GetConfigurationPath");

// Slot number of a virtual member in its class's primary table, or -1 for a
// non-virtual member, a member reached through a secondary base, or an ABI
// this check does not know (it reads the Itanium C++ ABI's member-pointer form).
template <class Member>
std::ptrdiff_t VirtualSlotOf(Member member) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  struct ItaniumMemberPointer {
    std::uintptr_t ptr;  // virtual: 1 + byte offset in the table
    std::ptrdiff_t adj;  // this-adjustment
  };
  static_assert(sizeof(Member) == sizeof(ItaniumMemberPointer), "Itanium member-function pointer");
  ItaniumMemberPointer rep;
  std::memcpy(&rep, &member, sizeof rep);
  if ((rep.ptr & 1u) == 0 || rep.adj != 0) return -1;
  return static_cast<std::ptrdiff_t>((rep.ptr - 1) / sizeof(void*));
#else
  (void)member;
  return -1;
#endif
}

}  // namespace orvel
