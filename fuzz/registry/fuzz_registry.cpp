// The registry file parser on arbitrary bytes: it must never crash or read out of bounds, and
// what it reads must survive being written back and read again unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "win32/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const win32::RegistryData parsed = win32::ParseRegistryText(data, size);
  const std::string text = win32::SerializeRegistry(parsed);
  const win32::RegistryData again = win32::ParseRegistryText(text.data(), text.size());
  if (!(again == parsed)) std::abort();
  for (const win32::RegistryKey& key : parsed.keys) {
    if (!parsed.KeyExists(key.root, key.path)) std::abort();
    for (const win32::RegistryValue& value : key.values) {
      if (!key.FindValue(value.name)) std::abort();
    }
  }
  return 0;
}
