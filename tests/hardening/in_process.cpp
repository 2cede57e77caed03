#include "tests/hardening/in_process.h"

#include <dlfcn.h>

#include "module/module_internal.h"
#include "orvel/exports.h"

namespace orvel {
namespace test {

IXmlComponent* NewComponent() { return static_cast<IXmlComponent*>(CreateComponent(XmlComponentID, 0)); }

const XmlDocument& DocumentOf(IXmlComponent* xml) { return static_cast<XmlComponent*>(xml)->document(); }

std::int32_t NestingOf(IXmlComponent* xml) { return static_cast<XmlComponent*>(xml)->nestingCount; }

bool UseFactoryLibrary() {
  static void* const factory = dlopen(ORVEL_ZANDROP, RTLD_NOW);
  if (factory != nullptr) SetFactoryLibraryHandle(factory);
  return factory != nullptr;
}

Snapshot::Snapshot(const XmlDocument& d) : text(d.text), status(d.status) {
  fields = {d.parentPos,  d.mainPos,     d.childPos, d.nodeType, d.nodeOffset,
            d.nodeLength, d.recordCount, d.freeHead, d.docFlags};
  for (std::int32_t i = 0; i < d.recordCount; ++i) {
    const ElementRecord& r = d.Rec(i);
    if (r.levelFlags == ElemFreed) {  // a released record holds only its place in the free chain
      fields.insert(fields.end(), {static_cast<std::int32_t>(r.levelFlags), r.nextSibling});
      continue;
    }
    fields.insert(fields.end(), {r.start, r.length, static_cast<std::int32_t>(r.tagLengths),
                                 static_cast<std::int32_t>(r.levelFlags), r.parent, r.firstChild,
                                 r.nextSibling, r.prevSibling});
  }
  if (!d.marks) return;
  for (const auto& bucket : d.marks->buckets) {
    for (int i = 0; bucket; ++i) {
      fields.insert(fields.end(), {bucket[i].saved, static_cast<std::int32_t>(bucket[i].flags)});
      markNames.push_back(bucket[i].name);
      if (bucket[i].flags & MarkLast) break;
    }
    fields.push_back(-1);
  }
}

}  // namespace test
}  // namespace orvel
