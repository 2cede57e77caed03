#include "engine/open_name_index.h"

#include <cstring>

#include "engine/byte_classes.h"

namespace orvel {

namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

}  // namespace

OpenNameIndex::OpenNameIndex(bool endTagKeys, bool foldCase) : endTagKeys_(endTagKeys), foldCase_(foldCase) {}

std::uint64_t OpenNameIndex::Hash(const char* bytes, std::int32_t n) const {
  std::uint64_t h = kFnvOffset;
  for (std::int32_t i = 0; i < n; ++i)
    h = (h ^ static_cast<unsigned char>(foldCase_ ? bytes::Fold(bytes[i]) : bytes[i])) * kFnvPrime;
  return h;
}

bool OpenNameIndex::Equal(const Key& k, const char* bytes, std::int32_t n) const {
  if (k.length != n) return false;
  const char* stored = names_.data() + nameAt_[static_cast<std::size_t>(k.depth)];
  if (!foldCase_) return std::memcmp(stored, bytes, static_cast<std::size_t>(n)) == 0;
  for (std::int32_t i = 0; i < n; ++i)
    if (stored[i] != bytes::Fold(bytes[i])) return false;
  return true;
}

std::size_t OpenNameIndex::SlotOf(std::uint64_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = static_cast<std::size_t>((hash * 0x9E3779B97F4A7C15ull) >> 32) & mask;
  while (slots_[i] >= 0 && keys_[static_cast<std::size_t>(slots_[i])].hash != hash) i = (i + 1) & mask;
  return i;
}

std::int32_t OpenNameIndex::Find(const char* key, std::int32_t n) const {
  if (slots_.empty() || (endTagKeys_ && n > kLongestEndTagName)) return -1;
  std::int32_t k = slots_[SlotOf(Hash(key, n))];
  while (k >= 0 && !Equal(keys_[static_cast<std::size_t>(k)], key, n))
    k = keys_[static_cast<std::size_t>(k)].older;
  return k;
}

std::int32_t OpenNameIndex::Innermost(const char* key, std::int32_t n) const {
  const std::int32_t k = Find(key, n);
  return k < 0 ? -1 : keys_[static_cast<std::size_t>(k)].depth;
}

std::int32_t OpenNameIndex::Outermost(const char* key, std::int32_t n) const {
  const std::int32_t k = Find(key, n);
  return k < 0 ? -1 : keys_[static_cast<std::size_t>(k)].outermost;
}

void OpenNameIndex::Rehash(std::size_t slots) {
  slots_.assign(slots, -1);
  used_ = 0;
  for (std::size_t k = 0; k < keys_.size(); ++k) {
    const std::size_t i = SlotOf(keys_[k].hash);
    if (slots_[i] < 0) ++used_;
    slots_[i] = static_cast<std::int32_t>(k);
  }
}

void OpenNameIndex::AddKey(std::uint64_t hash, std::int32_t length) {
  if (2 * (used_ + 1) > slots_.size()) Rehash(slots_.empty() ? 64 : 2 * slots_.size());
  const std::int32_t depth = Covered() - 1;
  const std::int32_t k = static_cast<std::int32_t>(keys_.size());
  const std::size_t i = SlotOf(hash);
  const std::int32_t older = slots_[i];
  // The newest element found by the same key, if any, knows the outermost one.
  std::int32_t outermost = depth;
  for (std::int32_t o = older; o >= 0; o = keys_[static_cast<std::size_t>(o)].older) {
    const Key& other = keys_[static_cast<std::size_t>(o)];
    if (Equal(other, names_.data() + nameAt_[static_cast<std::size_t>(depth)], length)) {
      outermost = other.outermost;
      break;
    }
  }
  keys_.push_back(Key{hash, length, depth, older, outermost});
  if (older < 0) ++used_;
  slots_[i] = k;
}

void OpenNameIndex::RemoveLastKey() {
  const Key& last = keys_.back();
  const std::size_t i = SlotOf(last.hash);
  slots_[i] = last.older;
  if (last.older < 0) --used_;
  keys_.pop_back();
}

void OpenNameIndex::Add(const char* name, std::int32_t n) {
  const std::size_t at = names_.size();
  nameAt_.push_back(static_cast<std::int32_t>(at));
  firstKey_.push_back(static_cast<std::int32_t>(keys_.size()));
  const std::int32_t kept = endTagKeys_ && n > kLongestEndTagName ? kLongestEndTagName : n;
  names_.append(name, static_cast<std::size_t>(kept));
  if (foldCase_)
    for (std::size_t i = at; i < names_.size(); ++i) names_[i] = bytes::Fold(names_[i]);
  // The keys are prefixes of the name: their hashes come from one pass.
  const char* stored = names_.data() + at;
  std::uint64_t h = kFnvOffset;
  for (std::int32_t i = 0; i < kept; ++i) {
    if (endTagKeys_ && bytes::Is(stored[i], bytes::kNameFollow)) AddKey(h, i);
    h = (h ^ static_cast<unsigned char>(stored[i])) * kFnvPrime;
  }
  if (kept == n) AddKey(h, n);
}

void OpenNameIndex::DropFrom(std::int32_t depth) {
  if (depth >= Covered()) return;
  const std::size_t d = static_cast<std::size_t>(depth);
  while (keys_.size() > static_cast<std::size_t>(firstKey_[d])) RemoveLastKey();
  names_.resize(static_cast<std::size_t>(nameAt_[d]));
  firstKey_.resize(d);
  nameAt_.resize(d);
}

}  // namespace orvel
