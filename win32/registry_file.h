// The registry's text store: the `.reg` export format of regedit, parsed into keys and values
// and written back. Both headers are read: "REGEDIT4" files are in the ANSI code page, "Windows
// Registry Editor Version 5.00" files in UTF-16LE (with its byte-order mark) or UTF-8. The
// writer always produces version 5.00 in UTF-8.
//
// Untrusted text: a line that can't be understood is skipped and the rest is still read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "win32/win32_types.h"

namespace win32 {

// The predefined keys, numbered as the low bits of their HKEY values.
enum class RegistryRoot : uint8_t {
  kClassesRoot = 0,
  kCurrentUser = 1,
  kLocalMachine = 2,
  kUsers = 3,
  kCurrentConfig = 5,
};

struct RegistryValue {
  std::string name;           // UTF-8; empty for the key's default value ("@")
  DWORD type = 0;             // REG_SZ, REG_DWORD, ...
  std::vector<uint8_t> data;  // as stored: string types in UTF-16LE with their terminators

  bool operator==(const RegistryValue&) const = default;
};

struct RegistryKey {
  RegistryRoot root = RegistryRoot::kLocalMachine;
  std::string path;  // UTF-8 components below the root joined by '\'; empty for the root itself
  std::vector<RegistryValue> values;

  bool operator==(const RegistryKey&) const = default;
  RegistryValue* FindValue(std::string_view name);
  const RegistryValue* FindValue(std::string_view name) const;
};

// Keys in the order they first appear. A key also exists implicitly when a key below it does.
// Names of keys and values compare case-insensitively. Paths given to the lookups are
// normalised (NormaliseKeyPath).
struct RegistryData {
  std::vector<RegistryKey> keys;

  bool operator==(const RegistryData&) const = default;

  RegistryKey* FindKey(RegistryRoot root, std::string_view path);
  const RegistryKey* FindKey(RegistryRoot root, std::string_view path) const;
  bool KeyExists(RegistryRoot root, std::string_view path) const;
  bool HasSubkeys(RegistryRoot root, std::string_view path) const;
  RegistryKey& CreateKey(RegistryRoot root, std::string_view path);
  // Removes the key and everything below it.
  void DeleteTree(RegistryRoot root, std::string_view path);
  // Sets (adding or replacing) a value of a key, creating the key when needed.
  void SetValue(RegistryRoot root, std::string_view path, RegistryValue value);
};

// Joins and cleans a key path: components split at '\', empty ones dropped.
std::string NormaliseKeyPath(std::string_view base, std::string_view subKey);

// Parses a whole file's bytes. Never fails: what can't be read is left out.
RegistryData ParseRegistryText(const void* bytes, size_t size);

std::string SerializeRegistry(const RegistryData& data);

const char* RegistryRootName(RegistryRoot root);

// UTF-16LE bytes of a UTF-8 string, with or without a terminating zero unit.
std::vector<uint8_t> Utf8ToUtf16Bytes(std::string_view utf8, bool terminate);

}  // namespace win32
