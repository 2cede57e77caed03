// A host's hold on the module: loads it, creates XML components through its
// exports, and unloads it only when the module says it can be unloaded.
#pragma once

#include <string>

#include "orvel/orvel.h"

namespace orvelxml {

class ModuleHost {
 public:
  ModuleHost() = default;
  ~ModuleHost();
  ModuleHost(const ModuleHost&) = delete;
  ModuleHost& operator=(const ModuleHost&) = delete;

  // Loads the module at path and resolves the exports the tool uses.
  // false with a message in *error when either fails. Without an Orvel.ini
  // beside the tool, the factory library beside the module (the decoder of
  // ".xmlz" files) is handed to the module with SetFactoryHandle.
  bool Load(const std::string& path, std::string* error);
  // A new XML component (CreateComponent(1, 0)), or null.
  orvel::IXmlComponent* CreateXmlComponent();
  // Asks OrvelDllCanUnloadNow and unloads only when it says yes; false (the
  // module stays loaded) when components are still alive.
  bool Unload();

 private:
  void* module_ = nullptr;
  orvel::CreateComponentFn createComponent_ = nullptr;
  orvel::OrvelDllCanUnloadNowFn canUnloadNow_ = nullptr;
};

// The module file next to the running executable, or, when none is there, the
// one in the installed libraries folder.
std::string DefaultModulePath();

// Owns one component for the length of a command and releases it at the end.
class ComponentSession {
 public:
  explicit ComponentSession(ModuleHost& host) : host_(host), component_(host.CreateXmlComponent()) {}
  ~ComponentSession() { Reset(nullptr); }
  ComponentSession(const ComponentSession&) = delete;
  ComponentSession& operator=(const ComponentSession&) = delete;

  orvel::IXmlComponent* get() const { return component_; }
  orvel::IXmlComponent* operator->() const { return component_; }
  explicit operator bool() const { return component_ != nullptr; }
  // Releases the current component and takes a fresh one from the module.
  void Renew() { Reset(host_.CreateXmlComponent()); }
  // Forgets the current component without releasing it (the caller already did).
  void Forget() { component_ = nullptr; }

 private:
  void Reset(orvel::IXmlComponent* next) {
    if (component_ != nullptr) component_->Release(0);
    component_ = next;
  }
  ModuleHost& host_;
  orvel::IXmlComponent* component_;
};

}  // namespace orvelxml
