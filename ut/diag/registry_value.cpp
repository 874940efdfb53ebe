#include "ut/diag/registry_value.h"

#include "win32/registry.h"

namespace {
constexpr const char kDirect3DKey[] = "Software\\Duvodovid\\Direct3D";
}

BOOL ReadDirect3DRegistryValue(DWORD expectedType, LPCSTR name, void* data, DWORD size) {
  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kDirect3DKey, &key) != ERROR_SUCCESS) return FALSE;
  DWORD type = 0;
  DWORD dataSize = size;
  const LONG result =
      RegQueryValueExA(key, name, nullptr, &type, static_cast<LPBYTE>(data), &dataSize);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return FALSE;
  return type == expectedType;
}
