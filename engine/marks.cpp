// Named saved positions: seven hashed buckets of mark entries. A bucket is an
// array of entries that grows 2 -> 14 -> 38 -> 86 ...; once it is long, its
// entries are also found through an index by name.
#include <cstring>
#include <utility>

#include "engine/read_guards.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"

namespace orvel {

namespace {

constexpr int kFirstBucketEntries = 2;
// Buckets shorter than this are walked; a walk over a few entries beats a hash.
constexpr int kIndexedFrom = 38;

// An array of n entries whose last carries MarkLast.
std::unique_ptr<MarkEntry[]> NewBucket(int n) {
  std::unique_ptr<MarkEntry[]> bucket(new MarkEntry[n]);
  bucket[n - 1].flags = MarkLast;
  return bucket;
}

// The entry named key among the entries in use of bucket b, or -1.
int FindMark(const MarkTable& table, const MarkKey& key) {
  const MarkEntry* bucket = table.buckets[key.bucket].get();
  if (bucket == nullptr) return -1;
  if (table.sizes[key.bucket] >= kIndexedFrom) return table.index[key.bucket].Find(bucket, key);
  for (int i = 0; i < table.inUse[key.bucket]; ++i) {
    const std::string& name = bucket[i].name;
    if (name.size() == key.length && std::memcmp(name.data(), key.name, key.length) == 0) return i;
  }
  return -1;
}

}  // namespace

// Everything that may run out of memory (table, bucket, its growth, the name's
// copy, room in the index) is had before the first change, so that a failure
// leaves the marks as they were.
bool XmlDocument::MarkPosition(const char* name) {
  if (name == nullptr) return false;
  std::int32_t saved = parentPos;
  std::uint32_t kind = 0;
  if (childPos != 0) {
    saved = childPos;
    kind = MarkChild;
  } else if (mainPos != 0) {
    saved = mainPos;
    kind = MarkMain;
  }
  const MarkKey key(name);
  if (marks) {
    const int found = FindMark(*marks, key);
    if (found >= 0) {  // marked again: overwritten in place
      MarkEntry& entry = marks->buckets[key.bucket][found];
      entry.saved = saved;
      entry.flags = (entry.flags & MarkLast) | MarkInUse | kind;
      return true;
    }
  }
  std::unique_ptr<MarkTable> newTable(marks ? nullptr : new MarkTable());
  MarkTable& table = marks ? *marks : *newTable;
  const int b = key.bucket;
  const int n = table.sizes[b];
  const int slot = table.inUse[b];
  // A full bucket is replaced by one of 2 * (n - 1) + 12 entries.
  const int size = n == 0 ? kFirstBucketEntries : slot < n ? n : 2 * (n - 1) + 12;
  std::unique_ptr<MarkEntry[]> grown(size != n ? NewBucket(size) : nullptr);
  std::string copy(key.name, key.length);
  MarkIndex& index = table.index[b];
  const bool indexed = size >= kIndexedFrom;
  const bool indexExisting = indexed && index.Empty();  // the bucket has just grown long
  if (indexed) index.Reserve(static_cast<std::size_t>(slot) + 1);

  if (newTable) marks = std::move(newTable);
  if (grown) {
    for (int i = 0; i < n; ++i) {  // in order; MarkLast stays on the new array's last entry
      grown[i].name = std::move(table.buckets[b][i].name);
      grown[i].saved = table.buckets[b][i].saved;
      grown[i].flags = table.buckets[b][i].flags & ~MarkLast;
    }
    table.buckets[b] = std::move(grown);
    table.sizes[b] = size;
  }
  MarkEntry& taken = table.buckets[b][slot];
  taken.name = std::move(copy);
  taken.saved = saved;
  taken.flags = (taken.flags & MarkLast) | MarkInUse | kind;
  table.inUse[b] = slot + 1;
  if (indexExisting)
    for (int i = 0; i < slot; ++i) index.Add(MarkKey(table.buckets[b][i].name.c_str()).hash, i);
  if (indexed) index.Add(key.hash, slot);
  return true;
}

bool XmlDocument::ReturnToMark(const char* name) {
  if (name == nullptr || !marks) return false;
  const MarkKey key(name);
  const int found = FindMark(*marks, key);
  // A saved index that no longer names a live record (the table changed under
  // the mark without a purge) is refused rather than followed.
  if (found < 0) return false;
  const MarkEntry& entry = marks->buckets[key.bucket][found];
  if (!IsLiveRecord(*this, entry.saved)) return false;
  const std::int32_t saved = entry.saved;
  // A child whose element became a top-level one (a table rebuilt after an
  // edit may move elements) is returned to as a main element.
  if ((entry.flags & MarkChild) && Rec(saved).parent != 0) {
    childPos = saved;
    mainPos = Rec(saved).parent;
    parentPos = IsLiveRecord(*this, mainPos) ? Rec(mainPos).parent : 0;
    nodeType = mainPos != 0 ? NodeElement : 0;
  } else if (entry.flags & (MarkMain | MarkChild)) {
    mainPos = saved;
    parentPos = Rec(saved).parent;
    childPos = 0;
    nodeType = saved != 0 ? NodeElement : 0;
  } else {
    parentPos = saved;
    mainPos = childPos = 0;
    nodeType = 0;
  }
  nodeOffset = nodeLength = 0;
  return true;
}

void XmlDocument::PurgeMarks() { CompactMarks(nullptr); }

// Keeps each bucket's marks in use together at its front, as the lookups
// expect; the last-slot marker stays on the final slot. Runs after an edit
// changed the text: it allocates nothing (the index keeps its room).
void XmlDocument::CompactMarks(const std::vector<std::int32_t>* retarget) {
  if (!marks) return;
  std::size_t k = 0;  // the mark's number in table order
  for (int b = 0; b < 7; ++b) {
    MarkEntry* bucket = marks->buckets[b].get();
    if (bucket == nullptr) continue;
    const int inUse = marks->inUse[b];
    int kept = 0;
    for (int i = 0; i < inUse; ++i) {
      MarkEntry& entry = bucket[i];
      const std::int32_t saved = retarget != nullptr ? (*retarget)[k++] : entry.saved;
      if (saved < 0 || IsReleasedRecord(*this, saved)) continue;
      entry.saved = saved;
      if (kept != i) {
        MarkEntry& to = bucket[kept];
        to.name = std::move(entry.name);
        to.saved = entry.saved;
        to.flags = (entry.flags & ~MarkLast) | (to.flags & MarkLast);
      }
      ++kept;
    }
    if (kept == inUse) continue;
    for (int j = kept; j < marks->sizes[b]; ++j) {
      bucket[j].flags &= MarkLast;
      bucket[j].name.clear();
    }
    marks->inUse[b] = kept;
    if (marks->sizes[b] < kIndexedFrom) continue;
    MarkIndex& index = marks->index[b];
    index.Clear();
    for (int i = 0; i < kept; ++i) index.Add(MarkKey(bucket[i].name.c_str()).hash, i);
  }
}

}  // namespace orvel
