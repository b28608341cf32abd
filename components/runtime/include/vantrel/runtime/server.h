#pragma once
// Registration and creation of in-process components.
//
// A component library exports four C-linkage entry points (VANTREL_COMPONENT_ENTRY_POINTS
// defines them): DllRegisterServer writes its class into the per-user registry file,
// DllUnregisterServer removes it, DllGetClassObject hands out the class object and
// DllCanUnloadNow says whether any of its objects are still alive. A client calls
// CreateObject("Tandrel.Tandrel", ...): the registry file names the library, which is
// loaded and asked for its class object.
//
// The registry file: $VANTREL_COMPONENT_REGISTRY when set, else
// $XDG_CONFIG_HOME/vantrel/components.ini, else ~/.config/vantrel/components.ini.
// One section per programmatic identifier:
//   [Tandrel.Tandrel]
//   clsid={...}
//   library=/usr/local/lib/libtandrel.so
//   description=...
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vantrel/runtime/automation.h"

namespace vantrel::rt {

// ---- Messages from components --------------------------------------------------------

// Components never open a window: a message goes to the host's handler (default: one
// line "title: text" on standard error). Passing an empty handler restores the default.
using ComponentMessageHandler = std::function<void(std::string_view text, std::string_view title)>;
void SetComponentMessageHandler(ComponentMessageHandler handler);
void ShowComponentMessage(std::string_view text, std::string_view title);

// ---- The per-user registry file ------------------------------------------------------

struct ClassEntry {
  std::string progid;
  std::string clsid;
  std::string library;  // absolute path of the shared library
  std::string description;
};

std::filesystem::path RegistryFilePath();
// Adds or replaces the section of entry.progid. The file is rewritten through a
// temporary file and a rename, so a reader never sees half of it.
HResult RegisterClassEntry(const ClassEntry& entry);
// Removes the section of progid when its clsid matches (empty clsid: any). kFalse when
// there was nothing to remove.
HResult UnregisterClassEntry(std::string_view progid, std::string_view clsid = {});
std::optional<ClassEntry> FindClass(std::string_view progid);
std::vector<ClassEntry> RegisteredClasses();

// ---- Client side ---------------------------------------------------------------------

// Creates the registered class and asks it for `iid`. kClassNotRegistered when the
// progid is not in the registry file, kModuleNotFound when its library cannot be
// loaded, kClassNotAvailable when the library does not serve the class.
HResult CreateObject(std::string_view progid, Iid iid, void** out);
inline HResult CreateObject(std::string_view progid, Ref<IDispatch>& out) {
  return CreateObject(progid, IDispatch::kIid, out.put());
}
template <class T>
Ref<T> CreateObjectAs(std::string_view progid, HResult* status = nullptr) {
  Ref<T> out;
  HResult hr = CreateObject(progid, T::kIid, out.put());
  if (status) *status = hr;
  return out;
}
// Unloads the component libraries loaded by CreateObject whose DllCanUnloadNow agrees.
void FreeUnusedLibraries();

// Entry point signatures, as looked up in a loaded library.
using DllRegisterServerFn = HResult (*)();
using DllUnregisterServerFn = HResult (*)();
using DllGetClassObjectFn = HResult (*)(const char* clsid, const char* iid, void** out);
using DllCanUnloadNowFn = HResult (*)();

// ---- Server side ---------------------------------------------------------------------

struct ComponentClass {
  const char* progid;
  const char* clsid;
  const char* description;
  // A new instance (one reference held by the returned pointer), counted in the module.
  Ref<IUnknown> (*create)(ModuleState& module);
};

// The absolute path of the shared object that contains `address`.
std::string LibraryPathOf(const void* address);

HResult ServerRegister(const ComponentClass& cls, const void* addressInLibrary);
HResult ServerUnregister(const ComponentClass& cls);
HResult ServerGetClassObject(const ComponentClass& cls, ModuleState& module, const char* clsid,
                             const char* iid, void** out);
HResult ServerCanUnloadNow(const ModuleState& module);

}  // namespace vantrel::rt

// Defines the four entry points of a component library with C linkage.
//   VANTREL_COMPONENT_ENTRY_POINTS(kTandrelClass, g_tandrelModule)
#define VANTREL_COMPONENT_ENTRY_POINTS(cls, module)                                        \
  /* internal linkage: its address always lies in this library, whatever else is loaded */ \
  static const char vantrel_component_anchor_ = 0;                                         \
  extern "C" __attribute__((visibility("default"))) ::vantrel::rt::HResult                 \
  DllRegisterServer() {                                                                    \
    return ::vantrel::rt::ServerRegister(cls, &vantrel_component_anchor_); \
  }                                                                                        \
  extern "C" __attribute__((visibility("default"))) ::vantrel::rt::HResult                 \
  DllUnregisterServer() {                                                                  \
    return ::vantrel::rt::ServerUnregister(cls);                                           \
  }                                                                                        \
  extern "C" __attribute__((visibility("default"))) ::vantrel::rt::HResult                 \
  DllGetClassObject(const char* clsid, const char* iid, void** out) {                      \
    return ::vantrel::rt::ServerGetClassObject(cls, module, clsid, iid, out);              \
  }                                                                                        \
  extern "C" __attribute__((visibility("default"))) ::vantrel::rt::HResult                 \
  DllCanUnloadNow() {                                                                      \
    return ::vantrel::rt::ServerCanUnloadNow(module);                                      \
  }
