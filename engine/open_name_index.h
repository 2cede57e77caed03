// The open elements of a parse, found by name in one hash lookup: an end tag
// finds the innermost element it closes, and re-indentation the outermost
// element of a name, in time that does not grow with the nesting depth.
//
// Elements are added from the outermost inward and dropped from the innermost
// outward, as the parse opens and closes them; each lookup key of an element
// is a hash-table entry that heads a chain of the older keys of equal hash.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvel {

class OpenNameIndex {
 public:
  // The longest name an end tag can carry within the end-tag length limit
  // ("</" and ">" around it).
  static constexpr std::int32_t kLongestEndTagName = 508;

  // endTagKeys: an element is found by each name that an end tag may give to
  // close it (NameMatches): its own name, and each leading part of it that
  // ends before one of " =/[]", none longer than kLongestEndTagName.
  // Otherwise it is found by its exact name only. foldCase: ASCII letters
  // compare without regard to case.
  OpenNameIndex(bool endTagKeys, bool foldCase);

  // The elements at depths 0 to Covered() - 1 are in the index.
  std::int32_t Covered() const { return static_cast<std::int32_t>(firstKey_.size()); }
  // Adds the element open at depth Covered(), named name[0..n).
  void Add(const char* name, std::int32_t n);
  // Forgets the elements at depth and deeper.
  void DropFrom(std::int32_t depth);
  // The depth of the innermost (outermost) element found by key[0..n), or -1.
  std::int32_t Innermost(const char* key, std::int32_t n) const;
  std::int32_t Outermost(const char* key, std::int32_t n) const;

 private:
  struct Key {
    std::uint64_t hash;
    std::int32_t length;
    std::int32_t depth;      // of the element found by this key
    std::int32_t older;      // the previous key of equal hash, or -1
    std::int32_t outermost;  // depth of the outermost element found by the same key
  };

  std::uint64_t Hash(const char* bytes, std::int32_t n) const;
  bool Equal(const Key& k, const char* bytes, std::int32_t n) const;
  // The newest key equal to key[0..n), or -1.
  std::int32_t Find(const char* key, std::int32_t n) const;
  void AddKey(std::uint64_t hash, std::int32_t length);
  void RemoveLastKey();
  // The slot that holds the chain of hash, or the empty slot where it would go.
  std::size_t SlotOf(std::uint64_t hash) const;
  void Rehash(std::size_t slots);

  const bool endTagKeys_;
  const bool foldCase_;
  std::vector<Key> keys_;               // in the order added
  std::vector<std::int32_t> firstKey_;  // per depth: its first key
  std::vector<std::int32_t> nameAt_;    // per depth: its name's offset in names_
  std::string names_;                   // the names as compared (folded with foldCase)
  // Open addressing, linear probing: the newest key of each hash, -1 = empty.
  // Keys leave in the reverse order of their arrival, so a slot can simply be
  // emptied again: the table is always as if the remaining keys had been
  // added to an empty table in order.
  std::vector<std::int32_t> slots_;
  std::size_t used_ = 0;
};

}  // namespace orvel
