#include "engine/mark_index.h"

#include <cstring>

#include "engine/xml_document.h"

namespace orvel {

MarkKey::MarkKey(const char* n) : name(n) {
  unsigned sum = 0;
  std::uint32_t h = 2166136261u;  // FNV-1a
  const unsigned char* p = reinterpret_cast<const unsigned char*>(n);
  for (; *p != 0; ++p) {
    sum += *p;
    h = (h ^ *p) * 16777619u;
  }
  length = static_cast<std::size_t>(p - reinterpret_cast<const unsigned char*>(n));
  bucket = static_cast<int>(sum % 7);
  hash = h;
}

int MarkIndex::Find(const MarkEntry* bucket, const MarkKey& key) const {
  if (slots_.empty()) return -1;
  for (std::size_t i = Home(key.hash);; i = (i + 1) & (slots_.size() - 1)) {
    const Slot& s = slots_[i];
    if (s.entry < 0) return -1;
    const std::string& name = bucket[s.entry].name;
    if (s.hash == key.hash && name.size() == key.length &&
        std::memcmp(name.data(), key.name, key.length) == 0)
      return s.entry;
  }
}

void MarkIndex::Reserve(std::size_t entries) {
  if (2 * entries <= slots_.size()) return;
  std::size_t n = slots_.empty() ? 64 : 2 * slots_.size();
  while (n < 2 * entries) n *= 2;
  std::vector<Slot> grown(n, Slot{0, -1});
  grown.swap(slots_);
  used_ = 0;
  for (const Slot& s : grown)
    if (s.entry >= 0) Add(s.hash, s.entry);
}

void MarkIndex::Add(std::uint32_t hash, int slot) {
  std::size_t i = Home(hash);
  while (slots_[i].entry >= 0) i = (i + 1) & (slots_.size() - 1);
  slots_[i] = Slot{hash, slot};
  ++used_;
}

void MarkIndex::Clear() {
  for (Slot& s : slots_) s.entry = -1;
  used_ = 0;
}

}  // namespace orvel
