// The list of live objects of the factory library. Objects the module never
// releases (factories, component 361) stay reachable here and are freed when
// the library unloads.
#include <mutex>

#include "factory/factory_object.h"

namespace zandrop {
namespace {

std::mutex g_registryMutex;
ObjectLink g_liveObjects;  // sentinel: previous/next of an empty list are null
int g_liveObjectCount = 0;

class LibraryLifecycle {
 public:
  ~LibraryLifecycle() {
    for (;;) {
      ObjectLink* first;
      {
        std::lock_guard<std::mutex> lock(g_registryMutex);
        first = g_liveObjects.next;
      }
      if (first == nullptr) break;
      first->destroy(first->object);  // unlinks itself
    }
  }
};
LibraryLifecycle g_libraryLifecycle;

}  // namespace

void TrackObject(ObjectLink* link) {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  link->previous = &g_liveObjects;
  link->next = g_liveObjects.next;
  if (link->next != nullptr) link->next->previous = link;
  g_liveObjects.next = link;
  ++g_liveObjectCount;
}

void UntrackObject(ObjectLink* link) {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  if (link->previous == nullptr) return;
  link->previous->next = link->next;
  if (link->next != nullptr) link->next->previous = link->previous;
  link->previous = link->next = nullptr;
  --g_liveObjectCount;
}

int LiveObjectCount() {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  return g_liveObjectCount;
}

}  // namespace zandrop
