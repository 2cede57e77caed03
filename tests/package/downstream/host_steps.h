// What both downstream hosts do with the installed module: create component 1,
// parse, read an attribute and a content, reach slot 65 through the installed
// IXmlComponentTable, release, and ask whether the module can be unloaded.
#pragma once

#include <cstdio>
#include <cstring>

#include "orvel/orvel.h"
#include "orvel/version.h"

struct ModuleExports {
  orvel::CreateComponentFn create;
  orvel::SetDLLRegistryFn setRegistry;
  orvel::OrvelDllCanUnloadNowFn canUnload;
};

// Prints one line of what it read; 0 when every step gave what it should.
inline int RunHostSteps(const ModuleExports& module, const char* expectedVersion) {
  if (std::strcmp(ORVELXML_VERSION_STRING, expectedVersion) != 0) {
    std::printf("version.h says %s, the package says %s\n", ORVELXML_VERSION_STRING, expectedVersion);
    return 1;
  }
  auto* xml = static_cast<orvel::IXmlComponentTable*>(module.create(orvel::XmlComponentID, 0));
  if (xml == nullptr) return 2;
  char id[8] = "", title[16] = "", config[16] = "";
  const int parsed = xml->ParseText("<shelf><book id=\"7\">Dune</book></shelf>");
  xml->SeekSiblingElement("shelf");
  xml->SeekChildElement("book");
  xml->ReadChildAttribute("id", id, sizeof id);
  xml->EnterElement();
  xml->ReadContent(title, sizeof title);
  module.setRegistry("host.ini");
  xml->GetConfigurationPath(nullptr, config, sizeof config);  // slot 65
  const int liveBefore = module.canUnload();
  xml->Release(0);
  const int afterRelease = module.canUnload();
  std::printf("parsed=%d id=%s content=%s config=%s unload=%d/%d\n", parsed, id, title, config, liveBefore,
              afterRelease);
  return parsed == 1 && std::strcmp(id, "7") == 0 && std::strcmp(title, "Dune") == 0 &&
                 std::strcmp(config, "host.ini") == 0 && liveBefore == 0 && afterRelease == 1
             ? 0
             : 3;
}
