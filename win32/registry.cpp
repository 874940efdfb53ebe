#include "win32/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "win32/registry_file.h"
#include "win32/text_encoding.h"

namespace {

using win32::RegistryData;
using win32::RegistryKey;
using win32::RegistryRoot;
using win32::RegistryValue;

constexpr const char* kDefaultRegistryFile = "/etc/ut/registry.reg";
// Larger files are read only up to this size: the registry holds a few settings, not data.
constexpr size_t kMaxRegistryFileSize = 16u << 20;

constexpr uintptr_t kPredefinedBase = 0x80000000u;

struct OpenKey {
  RegistryRoot root;
  std::string path;
  REGSAM access;
};

struct KeyTable {
  std::mutex mutex;
  std::map<HKEY, OpenKey> keys;
  uintptr_t next = 0x100;  // never reused, far below the predefined values
};

KeyTable& Keys() {
  static KeyTable table;
  return table;
}

bool PredefinedRoot(HKEY key, RegistryRoot* root) {
  const uintptr_t v = reinterpret_cast<uintptr_t>(key);
  if (v < kPredefinedBase || v > kPredefinedBase + 5 || v == kPredefinedBase + 4) return false;
  *root = static_cast<RegistryRoot>(v - kPredefinedBase);
  return true;
}

bool Resolve(HKEY key, OpenKey* out) {
  RegistryRoot root;
  if (PredefinedRoot(key, &root)) {
    *out = OpenKey{root, std::string(), KEY_ALL_ACCESS};
    return true;
  }
  KeyTable& table = Keys();
  std::lock_guard<std::mutex> lock(table.mutex);
  auto it = table.keys.find(key);
  if (it == table.keys.end()) return false;
  *out = it->second;
  return true;
}

HKEY NewHandle(OpenKey key) {
  KeyTable& table = Keys();
  std::lock_guard<std::mutex> lock(table.mutex);
  const HKEY handle = reinterpret_cast<HKEY>(table.next);
  table.next += 4;
  table.keys.emplace(handle, std::move(key));
  return handle;
}

bool Allows(const OpenKey& key, REGSAM right) {
  return (key.access & MAXIMUM_ALLOWED) || (key.access & right) == right;
}

RegistryData LoadFrom(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string bytes;
  char buffer[16384];
  while (bytes.size() < kMaxRegistryFileSize) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  if (bytes.size() > kMaxRegistryFileSize) bytes.resize(kMaxRegistryFileSize);
  return win32::ParseRegistryText(bytes.data(), bytes.size());
}

LONG ErrnoToRegistryError(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    default:
      return ERROR_CANTWRITE;
  }
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Read-modify-write of the file under an exclusive lock on a companion ".lock" file, so that
// concurrent writers don't lose each other's changes. The new text goes to a temporary file
// that is renamed over the old one: a reader sees the old file or the new one, never a part.
template <typename Change>
LONG ModifyRegistry(Change change) {
  const std::string path = win32::RegistryFilePath();
  const int lockFd = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lockFd < 0) return ErrnoToRegistryError(errno);
  while (::flock(lockFd, LOCK_EX) != 0 && errno == EINTR) {
  }
  RegistryData data = LoadFrom(path);
  LONG result = change(data);
  if (result == ERROR_SUCCESS) {
    const std::string temp = path + ".tmp." + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
      result = ErrnoToRegistryError(errno);
    } else {
      const bool written = WriteAll(fd, win32::SerializeRegistry(data)) && ::fsync(fd) == 0;
      ::close(fd);
      if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
        result = written ? ErrnoToRegistryError(errno) : ERROR_CANTWRITE;
        ::unlink(temp.c_str());
      }
    }
  }
  ::close(lockFd);
  return result;
}

std::string ValueName(LPCSTR name) { return name ? win32::AnsiToUtf8(name) : std::string(); }

bool IsStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The bytes a narrow (A) call sees: string types converted from UTF-16LE to the ANSI code page.
std::vector<uint8_t> NarrowData(const RegistryValue& value) {
  if (!IsStringType(value.type)) return value.data;
  std::vector<uint8_t> out;
  out.reserve(value.data.size() / 2);
  const size_t units = value.data.size() / 2;
  for (size_t i = 0; i < units; ++i) {
    char32_t cp = static_cast<char32_t>(value.data[2 * i] | (value.data[2 * i + 1] << 8));
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units) {
      const char32_t low =
          static_cast<char32_t>(value.data[2 * i + 2] | (value.data[2 * i + 3] << 8));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    const int byte = win32::CodePointToAnsi(cp);
    out.push_back(static_cast<uint8_t>(byte < 0 ? '?' : byte));
  }
  return out;
}

std::vector<uint8_t> StoredData(DWORD type, const BYTE* data, DWORD size) {
  std::vector<uint8_t> out;
  if (!data || size == 0) return out;
  if (!IsStringType(type)) return std::vector<uint8_t>(data, data + size);
  out.reserve(size * 2u);
  for (DWORD i = 0; i < size; ++i) {
    const char32_t cp = win32::AnsiToCodePoint(data[i]);
    out.push_back(static_cast<uint8_t>(cp & 0xFF));
    out.push_back(static_cast<uint8_t>(cp >> 8));
  }
  return out;
}

}  // namespace

namespace win32 {

std::string RegistryFilePath() {
  const char* path = std::getenv("UT_REGISTRY_FILE");
  return path && *path ? std::string(path) : std::string(kDefaultRegistryFile);
}

}  // namespace win32

LONG RegOpenKeyExA(HKEY parent, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  (void)options;
  if (!result) return ERROR_INVALID_PARAMETER;
  OpenKey base;
  if (!Resolve(parent, &base)) return ERROR_INVALID_HANDLE;
  const std::string path = win32::NormaliseKeyPath(base.path, subKey ? win32::AnsiToUtf8(subKey) : "");
  RegistryRoot root;
  if (path.empty() && PredefinedRoot(parent, &root)) {
    *result = parent;
    return ERROR_SUCCESS;
  }
  const RegistryData data = LoadFrom(win32::RegistryFilePath());
  if (!data.KeyExists(base.root, base.path)) return ERROR_KEY_DELETED;
  if (!data.KeyExists(base.root, path)) return ERROR_FILE_NOT_FOUND;
  *result = NewHandle(OpenKey{base.root, path, access});
  return ERROR_SUCCESS;
}

LONG RegOpenKeyA(HKEY parent, LPCSTR subKey, PHKEY result) {
  return RegOpenKeyExA(parent, subKey, 0, MAXIMUM_ALLOWED, result);
}

LONG RegCloseKey(HKEY key) {
  RegistryRoot root;
  if (PredefinedRoot(key, &root)) return ERROR_SUCCESS;
  KeyTable& table = Keys();
  std::lock_guard<std::mutex> lock(table.mutex);
  return table.keys.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size) {
  if (reserved || (data && !size)) return ERROR_INVALID_PARAMETER;
  OpenKey open;
  if (!Resolve(key, &open)) return ERROR_INVALID_HANDLE;
  if (!Allows(open, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  const RegistryData registry = LoadFrom(win32::RegistryFilePath());
  if (!registry.KeyExists(open.root, open.path)) return ERROR_KEY_DELETED;
  const RegistryKey* k = registry.FindKey(open.root, open.path);
  const RegistryValue* value = k ? k->FindValue(ValueName(name)) : nullptr;
  if (!value) return ERROR_FILE_NOT_FOUND;

  const std::vector<uint8_t> bytes = NarrowData(*value);
  if (type) *type = value->type;
  if (!size) return ERROR_SUCCESS;
  const DWORD needed = static_cast<DWORD>(bytes.size());
  if (data && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data && needed) std::memcpy(data, bytes.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY parent, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                     REGSAM access, const SECURITY_ATTRIBUTES* security, PHKEY result,
                     LPDWORD disposition) {
  (void)keyClass, (void)security;
  if (!result || reserved || (options & REG_OPTION_VOLATILE)) return ERROR_INVALID_PARAMETER;
  OpenKey base;
  if (!Resolve(parent, &base)) return ERROR_INVALID_HANDLE;
  if (!Allows(base, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
  const std::string path = win32::NormaliseKeyPath(base.path, subKey ? win32::AnsiToUtf8(subKey) : "");
  bool created = false;
  const LONG status = ModifyRegistry([&](RegistryData& data) -> LONG {
    if (!data.KeyExists(base.root, base.path)) return ERROR_KEY_DELETED;
    created = !data.KeyExists(base.root, path);
    data.CreateKey(base.root, path);
    return ERROR_SUCCESS;
  });
  if (status != ERROR_SUCCESS) return status;
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = NewHandle(OpenKey{base.root, path, access});
  return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size) {
  if (reserved) return ERROR_INVALID_PARAMETER;
  if (!data && size) return ERROR_NOACCESS;
  OpenKey open;
  if (!Resolve(key, &open)) return ERROR_INVALID_HANDLE;
  if (!Allows(open, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  RegistryValue value{ValueName(name), type, StoredData(type, data, size)};
  return ModifyRegistry([&](RegistryData& registry) -> LONG {
    if (!registry.KeyExists(open.root, open.path)) return ERROR_KEY_DELETED;
    registry.SetValue(open.root, open.path, std::move(value));
    return ERROR_SUCCESS;
  });
}

LONG RegDeleteValueA(HKEY key, LPCSTR name) {
  OpenKey open;
  if (!Resolve(key, &open)) return ERROR_INVALID_HANDLE;
  if (!Allows(open, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  const std::string valueName = ValueName(name);
  return ModifyRegistry([&](RegistryData& registry) -> LONG {
    if (!registry.KeyExists(open.root, open.path)) return ERROR_KEY_DELETED;
    RegistryKey* k = registry.FindKey(open.root, open.path);
    RegistryValue* v = k ? k->FindValue(valueName) : nullptr;
    if (!v) return ERROR_FILE_NOT_FOUND;
    k->values.erase(k->values.begin() + (v - k->values.data()));
    return ERROR_SUCCESS;
  });
}

LONG RegDeleteKeyA(HKEY parent, LPCSTR subKey) {
  if (!subKey) return ERROR_INVALID_PARAMETER;
  OpenKey base;
  if (!Resolve(parent, &base)) return ERROR_INVALID_HANDLE;
  const std::string path = win32::NormaliseKeyPath(base.path, win32::AnsiToUtf8(subKey));
  if (path.empty()) return ERROR_ACCESS_DENIED;  // a predefined key can't be deleted
  return ModifyRegistry([&](RegistryData& registry) -> LONG {
    if (!registry.KeyExists(base.root, path)) return ERROR_FILE_NOT_FOUND;
    if (registry.HasSubkeys(base.root, path)) return ERROR_ACCESS_DENIED;
    registry.DeleteTree(base.root, path);
    return ERROR_SUCCESS;
  });
}
