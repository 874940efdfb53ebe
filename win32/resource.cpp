#include "win32/resource.h"

#include <cstdlib>
#include <deque>
#include <mutex>
#include <set>
#include <string>

#include "win32/last_error.h"
#include "win32/module.h"
#include "win32/text_encoding.h"

namespace {

// A resource type or name: an integer identifier or a string.
struct ResourceId {
  bool numeric = false;
  WORD number = 0;
  std::string text;  // UTF-8

  bool Matches(const ResourceId& other) const {
    if (numeric != other.numeric) return false;
    return numeric ? number == other.number : win32::EqualsIgnoreCase(text, other.text);
  }
};

// "#123" names the identifier 123, as the resource functions read it.
ResourceId FromUtf8(std::string text) {
  ResourceId id;
  if (text.size() >= 2 && text[0] == '#' && text.size() <= 6) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str() + 1, &end, 10);
    if (*end == '\0' && value <= 0xFFFF && text[1] >= '0' && text[1] <= '9') {
      id.numeric = true;
      id.number = static_cast<WORD>(value);
      return id;
    }
  }
  id.text = std::move(text);
  return id;
}

ResourceId FromAnsi(LPCSTR p, bool utf8) {
  if (IS_INTRESOURCE(p)) {
    ResourceId id;
    id.numeric = true;
    id.number = LOWORD(p);
    return id;
  }
  return FromUtf8(utf8 ? std::string(p) : win32::AnsiToUtf8(p));
}

ResourceId FromWide(LPCWSTR p) {
  if (IS_INTRESOURCE(p)) {
    ResourceId id;
    id.numeric = true;
    id.number = LOWORD(p);
    return id;
  }
  return FromUtf8(win32::WideToUtf8(p));
}

struct Resource {
  HMODULE module;
  ResourceId type;
  ResourceId name;
  const void* data;
  size_t size;
};

struct ResourceTable {
  std::mutex mutex;
  std::deque<Resource> resources;  // stable addresses: a resource's address is its HRSRC
  std::set<const Resource*> known;
};

ResourceTable& Table() {
  static ResourceTable table;
  return table;
}

HMODULE ModuleOrSelf(HMODULE module) { return module ? module : GetModuleHandleA(nullptr); }

HRSRC Find(HMODULE module, const ResourceId& name, const ResourceId& type) {
  module = ModuleOrSelf(module);
  if (!win32::IsModuleLoaded(module)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  ResourceTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  bool moduleHasAny = false, typeFound = false;
  for (const Resource& r : table.resources) {
    if (r.module != module) continue;
    moduleHasAny = true;
    if (!r.type.Matches(type)) continue;
    typeFound = true;
    if (r.name.Matches(name)) return reinterpret_cast<HRSRC>(const_cast<Resource*>(&r));
  }
  SetLastError(!moduleHasAny ? ERROR_RESOURCE_DATA_NOT_FOUND
               : !typeFound  ? ERROR_RESOURCE_TYPE_NOT_FOUND
                             : ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

const Resource* Known(const void* handle) {
  ResourceTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  const auto* r = static_cast<const Resource*>(handle);
  return table.known.count(r) ? r : nullptr;
}

}  // namespace

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  if (!name || !type) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Find(module, FromAnsi(name, false), FromAnsi(type, false));
}

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  if (!name || !type) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Find(module, FromWide(name), FromWide(type));
}

HGLOBAL LoadResource(HMODULE module, HRSRC info) {
  const Resource* r = Known(info);
  if (!r || (module && r->module != module)) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  return const_cast<Resource*>(r);
}

LPVOID LockResource(HGLOBAL data) {
  const Resource* r = Known(data);
  return r ? const_cast<void*>(r->data) : nullptr;
}

DWORD SizeofResource(HMODULE module, HRSRC info) {
  const Resource* r = Known(info);
  if (!r || (module && r->module != module)) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return 0;
  }
  return static_cast<DWORD>(r->size);
}

BOOL FreeResource(HGLOBAL) { return FALSE; }

namespace win32 {

bool RegisterResource(HMODULE module, const char* type, const char* name, const void* data,
                      size_t size) {
  if (!type || !name || (!data && size) || size > 0xFFFFFFFFu) return false;
  Resource r{ModuleOrSelf(module), FromAnsi(type, true), FromAnsi(name, true), data, size};
  ResourceTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  for (const Resource& existing : table.resources) {
    if (existing.module == r.module && existing.type.Matches(r.type) && existing.name.Matches(r.name))
      return false;
  }
  table.resources.push_back(std::move(r));
  table.known.insert(&table.resources.back());
  return true;
}

}  // namespace win32
