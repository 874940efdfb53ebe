#include "win32/module.h"

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "win32/last_error.h"
#include "win32/text_encoding.h"

namespace {

// The classic image base stands for the program itself; registered modules get distinct values
// that are never reused, so a stale handle can't name a later module.
const HMODULE kOwnModule = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x400000));
constexpr uintptr_t kFirstModuleHandle = 0x10000000;
constexpr uintptr_t kModuleHandleStep = 0x10000;

struct Export {
  std::string name;
  FARPROC proc;
};

struct Module {
  std::string name;  // normalised, UTF-8
  std::vector<Export> exports;
  unsigned references = 1;
};

struct ModuleRegistry {
  std::mutex mutex;
  std::map<HMODULE, Module> modules;
  uintptr_t nextHandle = kFirstModuleHandle;
};

ModuleRegistry& Registry() {
  static ModuleRegistry registry;
  return registry;
}

// "C:\dir\D3D9" -> "D3D9.dll"; "name." -> "name" (a final dot means "no extension").
std::string NormaliseName(std::string_view name) {
  const size_t slash = name.find_last_of("\\/");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  std::string result(name);
  if (!result.empty() && result.back() == '.') {
    result.pop_back();
  } else if (result.find('.') == std::string::npos) {
    result += ".dll";
  }
  return result;
}

// Caller holds the registry lock.
Module* FindByName(ModuleRegistry& registry, const std::string& normalised, HMODULE* handle) {
  for (auto& [h, module] : registry.modules) {
    if (win32::EqualsIgnoreCase(module.name, normalised)) {
      *handle = h;
      return &module;
    }
  }
  return nullptr;
}

HMODULE GetHandleUtf8(const std::string& name) {
  ModuleRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  HMODULE handle = nullptr;
  Module* module = FindByName(registry, NormaliseName(name), &handle);
  if (!module || module->references == 0) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return handle;
}

HMODULE LoadUtf8(const std::string& name) {
  ModuleRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  HMODULE handle = nullptr;
  Module* module = FindByName(registry, NormaliseName(name), &handle);
  if (!module) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  ++module->references;
  return handle;
}

}  // namespace

HMODULE GetModuleHandleA(LPCSTR name) {
  if (!name) return kOwnModule;
  return GetHandleUtf8(win32::AnsiToUtf8(name));
}

HMODULE GetModuleHandleW(LPCWSTR name) {
  if (!name) return kOwnModule;
  return GetHandleUtf8(win32::WideToUtf8(name));
}

HMODULE LoadLibraryA(LPCSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return LoadUtf8(win32::AnsiToUtf8(name));
}

HMODULE LoadLibraryW(LPCWSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return LoadUtf8(win32::WideToUtf8(name));
}

BOOL FreeLibrary(HMODULE handle) {
  if (handle == kOwnModule) return TRUE;
  ModuleRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  auto it = registry.modules.find(handle);
  if (it == registry.modules.end() || it->second.references == 0) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  --it->second.references;
  return TRUE;
}

FARPROC GetProcAddress(HMODULE handle, LPCSTR procName) {
  if (handle == kOwnModule) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  ModuleRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  auto it = registry.modules.find(handle);
  if (it == registry.modules.end() || it->second.references == 0) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  const std::vector<Export>& exports = it->second.exports;
  if (procName && IS_INTRESOURCE(procName)) {
    const size_t ordinal = reinterpret_cast<uintptr_t>(procName);
    if (ordinal >= 1 && ordinal <= exports.size()) return exports[ordinal - 1].proc;
  } else if (procName) {
    // Export names are case-sensitive on Windows.
    for (const Export& e : exports) {
      if (e.name == procName) return e.proc;
    }
  }
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

namespace win32 {

HMODULE RegisterModule(const char* name, const ModuleExport* exports, size_t count) {
  if (!name || !*name || (count && !exports)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  ModuleRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  const std::string normalised = NormaliseName(name);
  HMODULE existing = nullptr;
  if (FindByName(registry, normalised, &existing)) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return nullptr;
  }
  Module module;
  module.name = normalised;
  for (size_t i = 0; i < count; ++i) {
    module.exports.push_back({exports[i].name ? exports[i].name : "", exports[i].proc});
  }
  const HMODULE handle = reinterpret_cast<HMODULE>(registry.nextHandle);
  registry.nextHandle += kModuleHandleStep;
  registry.modules.emplace(handle, std::move(module));
  return handle;
}

BOOL UnregisterModule(HMODULE handle) {
  ModuleRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  if (registry.modules.erase(handle) == 0) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  return TRUE;
}

bool IsModuleLoaded(HMODULE handle) {
  if (handle == kOwnModule) return true;
  ModuleRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  auto it = registry.modules.find(handle);
  return it != registry.modules.end() && it->second.references > 0;
}

}  // namespace win32
