// Enters XmlComponent's creator in the module's creator table during static
// initialisation, so CreateComponent(1, ...) finds it once the module is loaded.
#include <new>

#include "component/xml_component.h"
#include "module/module_state.h"
#include "orvel/constants.h"

namespace orvel {

IComponent* CreateXmlComponent() {
  // nothrow covers the object's own allocation; the document's first parse
  // allocates too, and that failure must not leave the module either.
  try {
    return new (std::nothrow) XmlComponent();
  } catch (...) {
    return nullptr;
  }
}

namespace {

struct XmlComponentRegistration {
  XmlComponentRegistration() { RegisterComponentCreator(XmlComponentID, &CreateXmlComponent); }
};

const XmlComponentRegistration registration;

}  // namespace

}  // namespace orvel
