// Named saved positions: seven hashed buckets of mark entries.
#include <cstring>

#include "engine/read_guards.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"

namespace orvel {

namespace {

constexpr int kMarkBuckets = 7;
constexpr int kFirstBucketEntries = 2;

int BucketOf(const char* name) {
  unsigned sum = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p != 0; ++p) sum += *p;
  return static_cast<int>(sum % kMarkBuckets);
}

// Replaces a full bucket of n entries by one of 2 * (n - 1) + 12 entries
// (2 -> 14 -> 38 -> 86), keeping the entries in order; MarkLast moves to the end.
void GrowBucket(std::unique_ptr<MarkEntry[]>& bucket, int n) {
  const int grown = 2 * (n - 1) + 12;
  std::unique_ptr<MarkEntry[]> bigger(new MarkEntry[grown]);
  for (int i = 0; i < n; ++i) bigger[i] = std::move(bucket[i]);
  bigger[n - 1].flags &= ~MarkLast;
  bigger[grown - 1].flags = MarkLast;
  bucket = std::move(bigger);
}

}  // namespace

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
  if (!marks) marks.reset(new MarkTable());
  std::unique_ptr<MarkEntry[]>& bucket = marks->buckets[BucketOf(name)];
  if (!bucket) {
    bucket.reset(new MarkEntry[kFirstBucketEntries]);
    bucket[kFirstBucketEntries - 1].flags = MarkLast;
  }
  // Entries in use stand together at the front: the walk ends on a match, on
  // the first free entry, or after the last entry (then the bucket grows).
  int i = 0;
  for (;; ++i) {
    MarkEntry& entry = bucket[i];
    if ((entry.flags & MarkInUse) == 0 || entry.name == name) break;
    if (entry.flags & MarkLast) {
      GrowBucket(bucket, i + 1);
      ++i;
      break;
    }
  }
  MarkEntry& taken = bucket[i];
  taken.name = name;
  taken.saved = saved;
  taken.flags = (taken.flags & MarkLast) | MarkInUse | kind;
  return true;
}

bool XmlDocument::ReturnToMark(const char* name) {
  if (name == nullptr || !marks) return false;
  const std::unique_ptr<MarkEntry[]>& bucket = marks->buckets[BucketOf(name)];
  if (!bucket) return false;
  const MarkEntry* found = nullptr;
  for (int i = 0;; ++i) {
    const MarkEntry& entry = bucket[i];
    if ((entry.flags & MarkInUse) == 0) break;
    if (entry.name == name) {
      found = &entry;
      break;
    }
    if (entry.flags & MarkLast) break;
  }
  // A saved index that no longer names a live record (the table changed under
  // the mark without a purge) is refused rather than followed.
  if (found == nullptr || !IsLiveRecord(*this, found->saved)) return false;
  const std::int32_t saved = found->saved;
  if (found->flags & MarkChild) {
    childPos = saved;
    mainPos = Rec(saved).parent;
    parentPos = IsLiveRecord(*this, mainPos) ? Rec(mainPos).parent : 0;
    nodeType = mainPos != 0 ? NodeElement : 0;
  } else if (found->flags & MarkMain) {
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

// Keeps each bucket's marks in use together at its front, as the lookups
// expect; the last-slot marker stays on the final slot.
void XmlDocument::PurgeMarks() {
  if (!marks) return;
  for (std::unique_ptr<MarkEntry[]>& bucket : marks->buckets) {
    if (!bucket) continue;
    int kept = 0;
    int i = 0;
    for (;; ++i) {
      MarkEntry& entry = bucket[i];
      if ((entry.flags & MarkInUse) != 0 && !IsReleasedRecord(*this, entry.saved)) {
        if (kept != i) {
          MarkEntry& to = bucket[kept];
          to.name = std::move(entry.name);
          to.saved = entry.saved;
          to.flags = (entry.flags & ~MarkLast) | (to.flags & MarkLast);
        }
        ++kept;
      }
      if (entry.flags & MarkLast) break;
    }
    for (int k = kept; k <= i; ++k) {
      bucket[k].flags &= MarkLast;
      bucket[k].name.clear();
    }
  }
}

}  // namespace orvel
