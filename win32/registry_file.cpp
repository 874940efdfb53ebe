#include "win32/registry_file.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <unordered_map>

#include "win32/registry.h"
#include "win32/text_encoding.h"

namespace win32 {
namespace {

struct RootNameEntry {
  RegistryRoot root;
  const char* name;
  const char* shortName;
};

constexpr RootNameEntry kRootNames[] = {
    {RegistryRoot::kClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {RegistryRoot::kCurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {RegistryRoot::kLocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {RegistryRoot::kUsers, "HKEY_USERS", "HKU"},
    {RegistryRoot::kCurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
};

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char a = s[i], b = prefix[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a + 32);
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b + 32);
    if (a != b) return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to 8 hex digits, the whole of s.
bool ParseHex32(std::string_view s, uint32_t* value) {
  if (s.empty() || s.size() > 8) return false;
  uint32_t v = 0;
  for (char c : s) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  *value = v;
  return true;
}

// The components of a key path, empty ones dropped.
std::vector<std::string_view> SplitPath(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Whether the key path `key` is `path` itself (or, with strict, lies strictly below it). Both
// are normalised; case folding keeps UTF-8 lengths, so a byte prefix is a component prefix.
bool IsAtOrBelow(std::string_view key, std::string_view path, bool strict) {
  if (path.empty()) return !strict || !key.empty();
  if (key.size() < path.size() || !EqualsIgnoreCase(key.substr(0, path.size()), path)) return false;
  if (key.size() == path.size()) return !strict;
  return key[path.size()] == '\\';
}

// --- Decoding the file's bytes into valid UTF-8 text -------------------------------------------

std::string Utf16LeToUtf8(const uint8_t* p, size_t size) {
  std::string out;
  out.reserve(size / 2);
  const size_t units = size / 2;
  for (size_t i = 0; i < units; ++i) {
    char32_t cp = static_cast<char32_t>(p[2 * i] | (p[2 * i + 1] << 8));
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units) {
      const char32_t low = static_cast<char32_t>(p[2 * i + 2] | (p[2 * i + 3] << 8));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    AppendUtf8(&out, cp);  // a lone surrogate becomes U+FFFD
  }
  return out;
}

std::string SanitiseUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp;
    DecodeUtf8(text, &pos, &cp);
    AppendUtf8(&out, cp);
  }
  return out;
}

bool FirstLineIs(std::string_view text, std::string_view header) {
  size_t pos = 0;
  while (pos < text.size() && (IsBlank(text[pos]) || text[pos] == '\r' || text[pos] == '\n')) ++pos;
  size_t end = text.find('\n', pos);
  if (end == std::string_view::npos) end = text.size();
  return TrimRight(text.substr(pos, end - pos)) == header;
}

// --- Values ----------------------------------------------------------------------------------

// Reads a quoted string at s[0] == '"', undoing the \\ and \" escapes (any other backslash is
// kept as it stands). Returns the rest after the closing quote, or false when it doesn't close.
bool ParseQuoted(std::string_view s, std::string* out, std::string_view* rest) {
  out->clear();
  size_t i = 1;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '"') {
      *rest = s.substr(i + 1);
      return true;
    }
    if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
      out->push_back(s[i + 1]);
      i += 2;
      continue;
    }
    out->push_back(c);
    ++i;
  }
  return false;
}

// "aa,bb, cc" (an empty list and one trailing comma allowed).
bool ParseHexBytes(std::string_view s, std::vector<uint8_t>* out) {
  out->clear();
  s = TrimRight(TrimLeft(s));
  if (s.empty()) return true;
  size_t start = 0;
  while (true) {
    size_t end = s.find(',', start);
    const bool last = end == std::string_view::npos;
    if (last) end = s.size();
    const std::string_view token = TrimRight(TrimLeft(s.substr(start, end - start)));
    if (token.empty()) return last && !out->empty();  // "aa," only
    if (token.size() > 2) return false;
    uint32_t v;
    if (!ParseHex32(token, &v)) return false;
    out->push_back(static_cast<uint8_t>(v));
    if (last) return true;
    start = end + 1;
  }
}

std::vector<uint8_t> AnsiBytesToUtf16(const std::vector<uint8_t>& ansi) {
  std::vector<uint8_t> out;
  out.reserve(ansi.size() * 2);
  for (uint8_t b : ansi) {
    const char32_t cp = AnsiToCodePoint(b);
    out.push_back(static_cast<uint8_t>(cp & 0xFF));
    out.push_back(static_cast<uint8_t>(cp >> 8));
  }
  return out;
}

enum class ValueAction { kSet, kDelete };

// One value line: @=... or "name"=... . False for a line that can't be understood.
bool ParseValueLine(std::string_view line, bool ansiFile, RegistryValue* value,
                    ValueAction* action) {
  std::string_view rest;
  if (line.front() == '@') {
    value->name.clear();
    rest = line.substr(1);
  } else if (!ParseQuoted(line, &value->name, &rest)) {
    return false;
  }
  rest = TrimLeft(rest);
  if (rest.empty() || rest.front() != '=') return false;
  rest = TrimRight(TrimLeft(rest.substr(1)));
  if (rest.empty()) return false;

  *action = ValueAction::kSet;
  if (rest == "-") {
    *action = ValueAction::kDelete;
    return true;
  }
  if (rest.front() == '"') {
    std::string text;
    std::string_view after;
    if (!ParseQuoted(rest, &text, &after) || !TrimLeft(after).empty()) return false;
    value->type = REG_SZ;
    value->data = Utf8ToUtf16Bytes(text, true);
    return true;
  }
  if (StartsWithNoCase(rest, "dword:")) {
    uint32_t v;
    if (!ParseHex32(rest.substr(6), &v)) return false;
    value->type = REG_DWORD;
    value->data = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                   static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    return true;
  }
  if (StartsWithNoCase(rest, "hex:")) {
    value->type = REG_BINARY;
    return ParseHexBytes(rest.substr(4), &value->data);
  }
  if (StartsWithNoCase(rest, "hex(")) {
    const size_t close = rest.find(')');
    if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
      return false;
    uint32_t type;
    if (!ParseHex32(rest.substr(4, close - 4), &type)) return false;
    if (!ParseHexBytes(rest.substr(close + 2), &value->data)) return false;
    value->type = type;
    // REGEDIT4 wrote the string types' bytes in the ANSI code page.
    if (ansiFile && (type == REG_EXPAND_SZ || type == REG_MULTI_SZ)) {
      value->data = AnsiBytesToUtf16(value->data);
    }
    return true;
  }
  return false;
}

bool ParseRoot(std::string_view name, RegistryRoot* root) {
  for (const RootNameEntry& e : kRootNames) {
    if (EqualsIgnoreCase(name, e.name) || EqualsIgnoreCase(name, e.shortName)) {
      *root = e.root;
      return true;
    }
  }
  return false;
}

// --- Writing ---------------------------------------------------------------------------------

void AppendQuoted(std::string* out, std::string_view text) {
  out->push_back('"');
  for (char c : text) {
    if (c == '\\' || c == '"') out->push_back('\\');
    out->push_back(c);
  }
  out->push_back('"');
}

// The UTF-8 text of a REG_SZ that "..." can carry exactly: one terminator at the end, no other
// zero, no line break, no lone surrogate.
bool PlainStringText(const std::vector<uint8_t>& data, std::string* text) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  const size_t units = data.size() / 2;
  const auto unit = [&](size_t i) { return static_cast<char32_t>(data[2 * i] | (data[2 * i + 1] << 8)); };
  if (unit(units - 1) != 0) return false;
  text->clear();
  for (size_t i = 0; i + 1 < units; ++i) {
    char32_t cp = unit(i);
    if (cp == 0 || cp == '\n') return false;
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      if (cp > 0xDBFF || i + 2 >= units) return false;
      const char32_t low = unit(i + 1);
      if (low < 0xDC00 || low > 0xDFFF) return false;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
      ++i;
    }
    AppendUtf8(text, cp);
  }
  return true;
}

// regedit's layout: bytes separated by commas, lines continued with "\" near column 80.
void AppendHexBytes(std::string* out, const std::vector<uint8_t>& data, size_t column) {
  char byte[4];
  for (size_t i = 0; i < data.size(); ++i) {
    std::snprintf(byte, sizeof byte, "%02x", data[i]);
    out->append(byte);
    column += 2;
    if (i + 1 < data.size()) {
      out->push_back(',');
      ++column;
      if (column >= 76) {
        out->append("\\\n  ");
        column = 2;
      }
    }
  }
}

void AppendValue(std::string* out, const RegistryValue& v) {
  const size_t lineStart = out->size();
  if (v.name.empty()) {
    out->push_back('@');
  } else {
    AppendQuoted(out, v.name);
  }
  out->push_back('=');
  std::string text;
  if (v.type == REG_SZ && PlainStringText(v.data, &text)) {
    AppendQuoted(out, text);
  } else if (v.type == REG_DWORD && v.data.size() == 4) {
    char digits[16];
    const uint32_t d = static_cast<uint32_t>(v.data[0] | (v.data[1] << 8) | (v.data[2] << 16)) |
                       (static_cast<uint32_t>(v.data[3]) << 24);
    std::snprintf(digits, sizeof digits, "dword:%08x", d);
    out->append(digits);
  } else {
    if (v.type == REG_BINARY) {
      out->append("hex:");
    } else {
      char prefix[24];
      std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(v.type));
      out->append(prefix);
    }
    AppendHexBytes(out, v.data, out->size() - lineStart);
  }
  out->push_back('\n');
}

}  // namespace

const char* RegistryRootName(RegistryRoot root) {
  for (const RootNameEntry& e : kRootNames) {
    if (e.root == root) return e.name;
  }
  return "HKEY_LOCAL_MACHINE";
}

std::vector<uint8_t> Utf8ToUtf16Bytes(std::string_view utf8, bool terminate) {
  std::vector<uint8_t> out;
  out.reserve(utf8.size() * 2 + 2);
  const auto push = [&](char32_t unit) {
    out.push_back(static_cast<uint8_t>(unit & 0xFF));
    out.push_back(static_cast<uint8_t>(unit >> 8));
  };
  size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t cp;
    DecodeUtf8(utf8, &pos, &cp);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      push(0xD800 + (cp >> 10));
      push(0xDC00 + (cp & 0x3FF));
    } else {
      push(cp);
    }
  }
  if (terminate) push(0);
  return out;
}

std::string NormaliseKeyPath(std::string_view base, std::string_view subKey) {
  std::string result;
  for (std::string_view part : {base, subKey}) {
    for (std::string_view component : SplitPath(part)) {
      if (!result.empty()) result.push_back('\\');
      result.append(component);
    }
  }
  return result;
}

RegistryValue* RegistryKey::FindValue(std::string_view name) {
  for (RegistryValue& v : values) {
    if (EqualsIgnoreCase(v.name, name)) return &v;
  }
  return nullptr;
}

const RegistryValue* RegistryKey::FindValue(std::string_view name) const {
  return const_cast<RegistryKey*>(this)->FindValue(name);
}

RegistryKey* RegistryData::FindKey(RegistryRoot root, std::string_view path) {
  for (RegistryKey& k : keys) {
    if (k.root == root && k.path.size() == path.size() && EqualsIgnoreCase(k.path, path)) return &k;
  }
  return nullptr;
}

const RegistryKey* RegistryData::FindKey(RegistryRoot root, std::string_view path) const {
  return const_cast<RegistryData*>(this)->FindKey(root, path);
}

bool RegistryData::KeyExists(RegistryRoot root, std::string_view path) const {
  if (path.empty()) return true;  // the predefined keys always exist
  return std::any_of(keys.begin(), keys.end(), [&](const RegistryKey& k) {
    return k.root == root && IsAtOrBelow(k.path, path, false);
  });
}

bool RegistryData::HasSubkeys(RegistryRoot root, std::string_view path) const {
  return std::any_of(keys.begin(), keys.end(), [&](const RegistryKey& k) {
    return k.root == root && IsAtOrBelow(k.path, path, true);
  });
}

RegistryKey& RegistryData::CreateKey(RegistryRoot root, std::string_view path) {
  const std::string normal = NormaliseKeyPath("", path);
  if (RegistryKey* existing = FindKey(root, normal)) return *existing;
  keys.push_back(RegistryKey{root, normal, {}});
  return keys.back();
}

void RegistryData::DeleteTree(RegistryRoot root, std::string_view path) {
  // The key above stays, even where it existed only through this one.
  const size_t slash = path.rfind('\\');
  const std::string parent(slash == std::string_view::npos ? std::string_view() : path.substr(0, slash));
  const bool keepParent = !parent.empty() && KeyExists(root, path);
  keys.erase(std::remove_if(keys.begin(), keys.end(),
                            [&](const RegistryKey& k) {
                              return k.root == root && IsAtOrBelow(k.path, path, false);
                            }),
             keys.end());
  if (keepParent) CreateKey(root, parent);
}

void RegistryData::SetValue(RegistryRoot root, std::string_view path, RegistryValue value) {
  RegistryKey& key = CreateKey(root, path);
  if (RegistryValue* existing = key.FindValue(value.name)) {
    existing->type = value.type;  // the name keeps its first spelling
    existing->data = std::move(value.data);
  } else {
    key.values.push_back(std::move(value));
  }
}

namespace {

// The keys of a file being read, indexed by their case-folded names so that a file of many keys
// or values reads in O(n log n); removed values leave empty slots until the end.
class RegistryBuilder {
 public:
  struct Node {
    uint64_t order;
    RegistryRoot root;
    std::string path;
    std::vector<std::optional<RegistryValue>> values;
    std::unordered_map<std::string, size_t> valueSlots;  // folded name -> slot
  };

  Node* Key(RegistryRoot root, const std::string& path) {
    auto [it, added] = nodes_.try_emplace(Folded(root, path));
    if (added) {
      it->second.order = nextOrder_++;
      it->second.root = root;
      it->second.path = path;
    }
    return &it->second;
  }

  // The key and everything below it go; the key above stays.
  void DeleteTree(RegistryRoot root, const std::string& path) {
    const std::string key = Folded(root, path);
    bool removed = nodes_.erase(key) > 0;
    // Keys below are the ones whose folded name continues with '\'; ']' is the next byte.
    auto first = nodes_.lower_bound(key + "\\");
    auto last = nodes_.lower_bound(key + "]");
    if (first != last) removed = true;
    nodes_.erase(first, last);
    const size_t slash = path.rfind('\\');
    if (removed && slash != std::string::npos) Key(root, path.substr(0, slash));
  }

  static void SetValue(Node* node, RegistryValue value) {
    const std::string name = FoldCaseUtf8(value.name);
    auto it = node->valueSlots.find(name);
    if (it != node->valueSlots.end()) {
      RegistryValue& existing = *node->values[it->second];
      existing.type = value.type;  // the name keeps its first spelling
      existing.data = std::move(value.data);
      return;
    }
    node->valueSlots.emplace(name, node->values.size());
    node->values.emplace_back(std::move(value));
  }

  static void DeleteValue(Node* node, const std::string& name) {
    auto it = node->valueSlots.find(FoldCaseUtf8(name));
    if (it == node->valueSlots.end()) return;
    node->values[it->second].reset();
    node->valueSlots.erase(it);
  }

  RegistryData Finish() {
    std::vector<Node*> ordered;
    ordered.reserve(nodes_.size());
    for (auto& [name, node] : nodes_) ordered.push_back(&node);
    std::sort(ordered.begin(), ordered.end(), [](const Node* a, const Node* b) { return a->order < b->order; });
    RegistryData data;
    data.keys.reserve(ordered.size());
    for (Node* node : ordered) {
      RegistryKey key{node->root, std::move(node->path), {}};
      for (auto& v : node->values) {
        if (v) key.values.push_back(std::move(*v));
      }
      data.keys.push_back(std::move(key));
    }
    return data;
  }

 private:
  static std::string Folded(RegistryRoot root, const std::string& path) {
    std::string key(1, static_cast<char>('0' + static_cast<int>(root)));
    if (!path.empty()) key += "\\" + FoldCaseUtf8(path);
    return key;
  }

  std::map<std::string, Node> nodes_;
  uint64_t nextOrder_ = 0;
};

}  // namespace

RegistryData ParseRegistryText(const void* bytes, size_t size) {
  const auto* p = static_cast<const uint8_t*>(bytes);
  std::string text;
  bool ansiFile = false;
  if (size >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
    text = Utf16LeToUtf8(p + 2, size - 2);
  } else if (size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
    text = SanitiseUtf8(std::string_view(reinterpret_cast<const char*>(p) + 3, size - 3));
  } else {
    const std::string_view raw(reinterpret_cast<const char*>(p), size);
    ansiFile = FirstLineIs(raw, kHeader4);
    text = ansiFile ? AnsiToUtf8(raw) : SanitiseUtf8(raw);
  }

  RegistryBuilder builder;
  RegistryBuilder::Node* current = nullptr;  // the section being read; null after a bad one
  std::string logical;
  size_t pos = 0;
  while (pos < text.size()) {
    // One logical line: physical lines joined where one ends in '\'.
    logical.clear();
    while (pos < text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string::npos) end = text.size();
      std::string_view physical = TrimRight(std::string_view(text).substr(pos, end - pos));
      if (!logical.empty()) physical = TrimLeft(physical);
      pos = end + 1;
      if (!physical.empty() && physical.back() == '\\') {
        physical.remove_suffix(1);
        logical.append(physical);
        continue;
      }
      logical.append(physical);
      break;
    }
    const std::string_view line = TrimLeft(std::string_view(logical));
    if (line.empty() || line.front() == ';' || line == kHeader4 || line == kHeader5) continue;

    if (line.front() == '[') {
      current = nullptr;
      const size_t close = line.rfind(']');
      if (close == std::string_view::npos || close == 0) continue;
      std::string_view name = line.substr(1, close - 1);
      const bool remove = !name.empty() && name.front() == '-';
      if (remove) name.remove_prefix(1);
      const size_t slash = name.find('\\');
      RegistryRoot sectionRoot;
      if (!ParseRoot(name.substr(0, slash), &sectionRoot)) continue;
      const std::string sectionPath =
          NormaliseKeyPath("", slash == std::string_view::npos ? "" : name.substr(slash + 1));
      if (remove) {
        builder.DeleteTree(sectionRoot, sectionPath);
      } else {
        current = builder.Key(sectionRoot, sectionPath);
      }
      continue;
    }

    if (!current || (line.front() != '@' && line.front() != '"')) continue;
    RegistryValue value;
    ValueAction action;
    if (!ParseValueLine(line, ansiFile, &value, &action)) continue;
    if (action == ValueAction::kDelete) {
      RegistryBuilder::DeleteValue(current, value.name);
    } else {
      RegistryBuilder::SetValue(current, std::move(value));
    }
  }
  return builder.Finish();
}

std::string SerializeRegistry(const RegistryData& data) {
  std::string out(kHeader5);
  out.append("\n\n");
  for (const RegistryKey& key : data.keys) {
    out.push_back('[');
    out.append(RegistryRootName(key.root));
    if (!key.path.empty()) {
      out.push_back('\\');
      out.append(key.path);
    }
    out.append("]\n");
    for (const RegistryValue& v : key.values) AppendValue(&out, v);
    out.push_back('\n');
  }
  return out;
}

}  // namespace win32
