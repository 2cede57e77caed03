// Keeping the element table in step with an edited text: offsets shifted
// behind a change, records linked into and out of a parent's children, and
// removed records retired to the free chain.
#include "engine/xml_document.h"

namespace orvel {

namespace {

// Moves the records after cur that a parse laid out in document order: as
// long as cur's link (its first child, or when it has none or they are
// skipped, its next sibling) names the record right after it, that record is
// the next element and moves by delta. The links are only checked, never
// followed, so the loads of one record do not wait for the record before.
// Returns the last record moved (cur when none).
std::int32_t ShiftConsecutive(XmlDocument& d, std::int32_t cur, std::int32_t delta, bool skip) {
  ElementRecord* r = &d.Rec(cur);
  const std::int32_t blockEnd = (cur | kBlockMask) < d.recordCount ? (cur | kBlockMask) : d.recordCount - 1;
  for (std::int32_t i = cur; i < blockEnd; ++i, ++r) {
    const std::int32_t follower = i + 1;
    const bool descends = !skip && r->firstChild == follower;
    const bool steps = (skip || r->firstChild == 0) && r->nextSibling == follower;
    if (!descends && !steps) return i;
    r[1].start += delta;
    skip = false;
  }
  return blockEnd;
}

}  // namespace

// A walk in document order from x: every element after x moves by delta and
// every ancestor of x grows by it. `tracked` is the innermost ancestor not yet
// passed; the walk climbs to it when a subtree ends.
void XmlDocument::ShiftFollowing(std::int32_t x, std::int32_t delta, bool skipChildren) {
  if (Rec(x).StartTagLength() == 0) return;
  std::int32_t tracked = Rec(x).parent;
  std::int32_t cur = x;
  bool skip = skipChildren;
  for (;;) {
    if (cur != tracked) {
      const std::int32_t last = ShiftConsecutive(*this, cur, delta, skip);
      if (last != cur) {
        cur = last;
        skip = false;
      }
    }
    const ElementRecord& c = Rec(cur);
    std::int32_t next;
    if (cur == tracked) {
      tracked = c.parent;
      next = c.nextSibling;
    } else {
      next = !skip && c.firstChild != 0 ? c.firstChild : c.nextSibling;
    }
    skip = false;
    if (next == 0) {
      for (std::int32_t up = c.parent;; up = Rec(up).parent) {
        if (up == tracked) {
          next = tracked;
          break;
        }
        if (Rec(up).nextSibling != 0) {
          next = Rec(up).nextSibling;
          break;
        }
      }
    }
    ElementRecord& n = Rec(next);
    if (next == tracked)
      n.length += delta;
    else
      n.start += delta;
    cur = next;
    // The document record and a parse's placeholder record have no start tag.
    if (n.StartTagLength() == 0) return;
  }
}

void XmlDocument::ShiftAfterNode(std::int32_t parent, std::int32_t before, std::int32_t delta) {
  if (before != 0) {
    ShiftFollowing(before, delta, true);
    return;
  }
  const std::int32_t first = Rec(parent).firstChild;
  if (first != 0) {
    Rec(first).start += delta;
    ShiftFollowing(first, delta, false);
  } else {
    Rec(parent).length += delta;
    ShiftFollowing(parent, delta, true);
  }
}

void XmlDocument::LinkElement(std::int32_t parent, std::int32_t after, std::int32_t index) {
  ElementRecord& n = Rec(index);
  ElementRecord& p = Rec(parent);
  n.parent = parent;
  if (after != 0) {
    ElementRecord& a = Rec(after);
    n.Clear(ElemFirstChild);
    n.nextSibling = a.nextSibling;
    if (a.nextSibling != 0)
      Rec(a.nextSibling).prevSibling = index;
    else
      Rec(p.firstChild).prevSibling = index;  // the first child names the last
    a.nextSibling = index;
    n.prevSibling = after;
  } else {
    n.Set(ElemFirstChild);
    if (p.firstChild != 0) {
      ElementRecord& f = Rec(p.firstChild);
      n.nextSibling = p.firstChild;
      n.prevSibling = f.prevSibling;
      f.prevSibling = index;
      f.Clear(ElemFirstChild);
    } else {
      n.nextSibling = 0;
      n.prevSibling = index;
    }
    p.firstChild = index;
  }
  if (parent != 0) n.SetLevel(p.Level() + 1);
}

std::int32_t XmlDocument::UnlinkElement(std::int32_t index) {
  const ElementRecord& e = Rec(index);
  ElementRecord& p = Rec(e.parent);
  std::int32_t result = 0;
  if (e.Has(ElemFirstChild)) {
    if (e.nextSibling != 0) {
      ElementRecord& s = Rec(e.nextSibling);
      p.firstChild = e.nextSibling;
      s.prevSibling = e.prevSibling;
      s.Set(ElemFirstChild);
    } else {
      p.firstChild = 0;
    }
  } else {
    result = e.prevSibling;
    Rec(result).nextSibling = e.nextSibling;
    if (e.nextSibling != 0)
      Rec(e.nextSibling).prevSibling = result;
    else
      Rec(p.firstChild).prevSibling = result;
  }
  ReleaseSubtree(index);
  return result;
}

// Post-order without recursion: the depth of a subtree has no bound. A
// released record keeps its parent link, which the climb still reads.
std::int32_t XmlDocument::ReleaseSubtree(std::int32_t index) {
  std::int32_t cur = index;
  while (Rec(cur).firstChild != 0) cur = Rec(cur).firstChild;
  for (;;) {
    const std::int32_t parent = Rec(cur).parent;
    const std::int32_t next = ReleaseRecord(cur);
    if (cur == index) return next;
    if (next != 0) {
      cur = next;
      while (Rec(cur).firstChild != 0) cur = Rec(cur).firstChild;
    } else {
      cur = parent;
    }
  }
}

std::int32_t XmlDocument::ReleaseRecord(std::int32_t index) {
  ElementRecord& r = Rec(index);
  const std::int32_t next = r.nextSibling;
  r.nextSibling = freeHead;
  r.levelFlags = ElemFreed;
  freeHead = index;
  return next;
}

}  // namespace orvel
