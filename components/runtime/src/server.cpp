#include "vantrel/runtime/server.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace vantrel::rt {

namespace fs = std::filesystem;

// ---- Messages -------------------------------------------------------------------------

namespace {

std::mutex& MessageMutex() {
  static std::mutex m;
  return m;
}
ComponentMessageHandler& MessageHandlerSlot() {
  static ComponentMessageHandler h;
  return h;
}

}  // namespace

void SetComponentMessageHandler(ComponentMessageHandler handler) {
  std::lock_guard lock(MessageMutex());
  MessageHandlerSlot() = std::move(handler);
}

void ShowComponentMessage(std::string_view text, std::string_view title) {
  ComponentMessageHandler h;
  {
    std::lock_guard lock(MessageMutex());
    h = MessageHandlerSlot();
  }
  if (h) {
    h(text, title);
  } else {
    std::fprintf(stderr, "%.*s: %.*s\n", int(title.size()), title.data(), int(text.size()), text.data());
  }
}

// ---- Registry file --------------------------------------------------------------------

namespace {

std::mutex& RegistryMutex() {
  static std::mutex m;
  return m;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::vector<ClassEntry> ReadEntries(const fs::path& path) {
  std::vector<ClassEntry> out;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::string_view l = Trim(line);
    if (l.empty() || l.front() == ';' || l.front() == '#') continue;
    if (l.front() == '[' && l.back() == ']') {
      out.push_back({std::string(Trim(l.substr(1, l.size() - 2))), {}, {}, {}});
      continue;
    }
    auto eq = l.find('=');
    if (eq == std::string_view::npos || out.empty()) continue;
    std::string_view key = Trim(l.substr(0, eq)), value = Trim(l.substr(eq + 1));
    if (key == "clsid") out.back().clsid = value;
    else if (key == "library") out.back().library = value;
    else if (key == "description") out.back().description = value;
  }
  return out;
}

HResult WriteEntries(const fs::path& path, const std::vector<ClassEntry>& entries) {
  std::error_code ec;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
  fs::path tmp = path;
  tmp += ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(tmp, std::ios::trunc);
    if (!out) return kRegistrationFailed;
    out << "; In-process components registered for this user.\n";
    for (const auto& e : entries) {
      out << '[' << e.progid << "]\nclsid=" << e.clsid << "\nlibrary=" << e.library
          << "\ndescription=" << e.description << "\n\n";
    }
    out.flush();
    if (!out) {
      out.close();
      fs::remove(tmp, ec);
      return kRegistrationFailed;
    }
  }
  fs::rename(tmp, path, ec);
  if (ec) {
    fs::remove(tmp, ec);
    return kRegistrationFailed;
  }
  return kOk;
}

// A section name or value may not break the line-based file.
bool Writable(std::string_view s) {
  return s.find_first_of("\r\n[]=") == std::string_view::npos;
}

}  // namespace

fs::path RegistryFilePath() {
  if (const char* p = std::getenv("VANTREL_COMPONENT_REGISTRY"); p && *p) return p;
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) return fs::path(x) / "vantrel" / "components.ini";
  if (const char* h = std::getenv("HOME"); h && *h) return fs::path(h) / ".config" / "vantrel" / "components.ini";
  return fs::path("vantrel-components.ini");
}

HResult RegisterClassEntry(const ClassEntry& entry) {
  if (entry.progid.empty() || !Writable(entry.progid) || !Writable(entry.clsid) ||
      entry.library.find_first_of("\r\n") != std::string::npos ||
      entry.description.find_first_of("\r\n") != std::string::npos)
    return kRegistrationFailed;
  std::lock_guard lock(RegistryMutex());
  fs::path path = RegistryFilePath();
  auto entries = ReadEntries(path);
  bool replaced = false;
  for (auto& e : entries)
    if (e.progid == entry.progid) e = entry, replaced = true;
  if (!replaced) entries.push_back(entry);
  return WriteEntries(path, entries);
}

HResult UnregisterClassEntry(std::string_view progid, std::string_view clsid) {
  std::lock_guard lock(RegistryMutex());
  fs::path path = RegistryFilePath();
  auto entries = ReadEntries(path);
  auto before = entries.size();
  std::erase_if(entries, [&](const ClassEntry& e) {
    return e.progid == progid && (clsid.empty() || e.clsid == clsid);
  });
  if (entries.size() == before) return kFalse;
  return WriteEntries(path, entries);
}

std::optional<ClassEntry> FindClass(std::string_view progid) {
  std::lock_guard lock(RegistryMutex());
  for (auto& e : ReadEntries(RegistryFilePath()))
    if (detail::EqualsNoCase(e.progid, progid)) return e;
  return std::nullopt;
}

std::vector<ClassEntry> RegisteredClasses() {
  std::lock_guard lock(RegistryMutex());
  return ReadEntries(RegistryFilePath());
}

// ---- Client side ----------------------------------------------------------------------

namespace {

struct LoadedLibraries {
  std::mutex mutex;
  std::map<std::string, void*> handles;  // library path -> dlopen handle
};
LoadedLibraries& Libraries() {
  static LoadedLibraries l;
  return l;
}

}  // namespace

HResult CreateObject(std::string_view progid, Iid iid, void** out) {
  if (!out) return kPointer;
  *out = nullptr;
  auto entry = FindClass(progid);
  if (!entry || entry->library.empty()) return kClassNotRegistered;

  void* handle = nullptr;
  {
    auto& libs = Libraries();
    std::lock_guard lock(libs.mutex);
    auto it = libs.handles.find(entry->library);
    if (it != libs.handles.end()) {
      handle = it->second;
    } else {
      handle = ::dlopen(entry->library.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (!handle) return kModuleNotFound;
      libs.handles.emplace(entry->library, handle);
    }
  }
  auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(::dlsym(handle, "DllGetClassObject"));
  if (!getClassObject) return kClassNotAvailable;

  Ref<IClassFactory> factory;
  std::string clsid = entry->clsid, factoryIid(IClassFactory::kIid);
  HResult hr = getClassObject(clsid.c_str(), factoryIid.c_str(), factory.put());
  if (Failed(hr) || !factory) return Failed(hr) ? hr : kClassNotAvailable;
  return factory->CreateInstance(iid, out);
}

void FreeUnusedLibraries() {
  auto& libs = Libraries();
  std::lock_guard lock(libs.mutex);
  for (auto it = libs.handles.begin(); it != libs.handles.end();) {
    auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(::dlsym(it->second, "DllCanUnloadNow"));
    if (canUnload && canUnload() == kOk) {
      ::dlclose(it->second);
      it = libs.handles.erase(it);
    } else {
      ++it;
    }
  }
}

// ---- Server side ----------------------------------------------------------------------

std::string LibraryPathOf(const void* address) {
  Dl_info info{};
  if (!::dladdr(address, &info) || !info.dli_fname) return {};
  std::error_code ec;
  fs::path p = fs::absolute(info.dli_fname, ec);
  if (ec) return info.dli_fname;
  fs::path canon = fs::weakly_canonical(p, ec);
  return (ec ? p : canon).string();
}

HResult ServerRegister(const ComponentClass& cls, const void* addressInLibrary) {
  std::string path = LibraryPathOf(addressInLibrary);
  if (path.empty()) return kRegistrationFailed;
  return RegisterClassEntry({cls.progid, cls.clsid, path, cls.description ? cls.description : ""});
}

HResult ServerUnregister(const ComponentClass& cls) {
  HResult hr = UnregisterClassEntry(cls.progid, cls.clsid);
  return Failed(hr) ? hr : kOk;  // unregistering what is not there is no failure
}

namespace {

class ClassFactory final : public IClassFactory {
 public:
  ClassFactory(const ComponentClass& cls, ModuleState& module) : cls_(cls), module_(module) {
    ++module_.objects;  // a held class object keeps its library loaded
  }
  uint32_t AddRef() override { return ++refs_; }
  uint32_t Release() override {
    uint32_t n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HResult QueryInterface(Iid iid, void** out) override {
    if (!out) return kPointer;
    *out = nullptr;
    if (iid != IUnknown::kIid && iid != IClassFactory::kIid) return kNoInterface;
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return kOk;
  }
  HResult CreateInstance(Iid iid, void** out) override {
    if (!out) return kPointer;
    *out = nullptr;
    Ref<IUnknown> obj = cls_.create(module_);
    if (!obj) return kFail;
    return obj->QueryInterface(iid, out);
  }
  HResult LockServer(bool lock) override {
    lock ? ++module_.locks : --module_.locks;
    return kOk;
  }

 private:
  ~ClassFactory() override { --module_.objects; }
  std::atomic<uint32_t> refs_{0};
  const ComponentClass& cls_;
  ModuleState& module_;
};

}  // namespace

HResult ServerGetClassObject(const ComponentClass& cls, ModuleState& module, const char* clsid,
                             const char* iid, void** out) {
  if (!out) return kPointer;
  *out = nullptr;
  if (!clsid || !iid || !detail::EqualsNoCase(clsid, cls.clsid)) return kClassNotAvailable;
  Ref<IClassFactory> f = Ref<IClassFactory>::Share(new ClassFactory(cls, module));
  return f->QueryInterface(iid, out);
}

HResult ServerCanUnloadNow(const ModuleState& module) { return module.CanUnload() ? kOk : kFalse; }

}  // namespace vantrel::rt
