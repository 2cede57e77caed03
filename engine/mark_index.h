// The entries of one mark bucket found by name in one probe sequence, so that
// a bucket of hundreds of thousands of marks is not walked for each lookup.
// The bucket keeps its entries and their order; the index holds only slot
// numbers, keyed by a hash of the name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvel {

struct MarkEntry;

// A mark name with what the table needs of it, from one pass over its bytes.
struct MarkKey {
  explicit MarkKey(const char* name);
  const char* name;
  std::size_t length;
  int bucket;          // byte sum modulo 7
  std::uint32_t hash;  // for the index
};

class MarkIndex {
 public:
  // The slot of bucket's entry named key, or -1.
  int Find(const MarkEntry* bucket, const MarkKey& key) const;
  // Makes room for entries entries in all, so that adding them allocates nothing.
  void Reserve(std::size_t entries);
  // Adds the entry at slot, whose name hashes to hash.
  void Add(std::uint32_t hash, int slot);
  // Forgets every entry (keeping the room), to add them again.
  void Clear();
  bool Empty() const { return slots_.empty(); }

 private:
  struct Slot {
    std::uint32_t hash;
    std::int32_t entry;  // -1: empty
  };
  std::size_t Home(std::uint32_t hash) const { return (hash * 0x9E3779B9u >> 7) & (slots_.size() - 1); }
  std::vector<Slot> slots_;  // a power of two long, at most half full
  std::size_t used_ = 0;
};

}  // namespace orvel
