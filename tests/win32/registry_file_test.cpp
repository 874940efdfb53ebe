// The `.reg` text store: value types, malformed lines, encodings, and writing back.
#include "win32/registry_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32/registry.h"

using namespace std::string_literals;

namespace {

using win32::ParseRegistryText;
using win32::RegistryData;
using win32::RegistryRoot;
using win32::RegistryValue;

RegistryData Parse(const std::string& text) { return ParseRegistryText(text.data(), text.size()); }

std::vector<uint8_t> Utf16(const std::u16string& s) {
  std::vector<uint8_t> out;
  for (char16_t c : s) {
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  return out;
}

const RegistryValue* Find(const RegistryData& data, const char* path, const char* name) {
  const win32::RegistryKey* key = data.FindKey(RegistryRoot::kLocalMachine, path);
  return key ? key->FindValue(name) : nullptr;
}

struct ValueCase {
  const char* line;
  DWORD type;
  std::vector<uint8_t> data;
};

TEST(RegistryFileTest, ReadsEveryValueNotation) {
  const ValueCase cases[] = {
      {R"("v"=dword:0000000a)", REG_DWORD, {0x0a, 0, 0, 0}},
      {R"("v"=dword:FFFFFFFF)", REG_DWORD, {0xff, 0xff, 0xff, 0xff}},
      {R"("v"=dword:1)", REG_DWORD, {1, 0, 0, 0}},
      {R"("v"="text")", REG_SZ, Utf16(u"text\0"s)},
      {R"("v"="")", REG_SZ, Utf16(u"\0"s)},
      {R"("v"="C:\\dir\\\"q\"")", REG_SZ, Utf16(u"C:\\dir\\\"q\"\0"s)},
      {R"("v"="Привет")", REG_SZ, Utf16(u"Привет\0"s)},
      {R"("v"=hex:01,02,ff)", REG_BINARY, {1, 2, 0xff}},
      {R"("v"=hex:)", REG_BINARY, {}},
      {R"("v"=hex(0):)", REG_NONE, {}},
      {R"("v"=hex(2):25,00,41,00,00,00)", REG_EXPAND_SZ, Utf16(u"%A\0"s)},
      {R"("v"=hex(7):61,00,00,00,00,00)", REG_MULTI_SZ, Utf16(u"a\0\0"s)},
      {R"("v"=hex(b):01,00,00,00,00,00,00,80)", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0x80}},
      {R"("v"=hex(4):0a,00,00,00)", REG_DWORD, {0x0a, 0, 0, 0}},
      {R"("v"=hex(ffff0001):2a)", 0xffff0001u, {0x2a}},
      {R"("v" = dword:00000002)", REG_DWORD, {2, 0, 0, 0}},
      {"\"v\"=hex:01,02,\\\n  03,04", REG_BINARY, {1, 2, 3, 4}},
      {"\"v\"=\"crlf\"\r", REG_SZ, Utf16(u"crlf\0"s)},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.line);
    const RegistryData data =
        Parse(std::string("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\K]\n") + c.line +
              "\n");
    const RegistryValue* v = Find(data, "K", "v");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, c.type);
    EXPECT_EQ(v->data, c.data);
  }
}

TEST(RegistryFileTest, SkipsMalformedLinesAndReadsTheRest) {
  const char* bad[] = {
      R"("v"=dword:123456789)",    // nine digits
      R"("v"=dword:12g4)",         // not hex
      R"("v"=dword:)",             // no digits
      R"("v"="unterminated)",      // no closing quote
      R"("v"="x" trailing)",       // text after the string
      R"("v"=hex:1,,2)",           // empty byte
      R"("v"=hex:123)",            // three digits
      R"("v"=hex(2:00)",           // no closing parenthesis
      R"("v"=hex(zz):00)",         // bad type
      R"("v"=word:1)",             // unknown notation
      R"("v")",                    // no '='
      R"("v"=)",                   // no data
      R"("v=dword:1)",             // name never closes
      R"(v=dword:1)",              // unquoted name
      "\"v\"=\xff\xfe",            // not UTF-8
      "garbage",
      "[HKEY_NOWHERE\\K]",         // unknown root: its values are skipped below
      R"("v"=dword:00000009)",
  };
  std::string text = "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n\"before\"=dword:1\n";
  for (const char* line : bad) text += std::string(line) + "\n";
  text += "[HKEY_LOCAL_MACHINE\\K]\n\"after\"=dword:2\n";
  const RegistryData data = Parse(text);
  ASSERT_EQ(data.keys.size(), 1u);
  const auto& values = data.keys[0].values;
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].name, "before");
  EXPECT_EQ(values[1].name, "after");
}

TEST(RegistryFileTest, ValuesBeforeAnySectionAreIgnored) {
  const RegistryData data = Parse("\"v\"=dword:1\n[HKLM\\K]\n");
  ASSERT_EQ(data.keys.size(), 1u);
  EXPECT_TRUE(data.keys[0].values.empty());
}

TEST(RegistryFileTest, SectionsMergeAndNamesCompareWithoutCase) {
  const RegistryData data = Parse(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\A]\n\"Name\"=dword:1\n"
      "[hkey_local_machine\\SOFTWARE\\a]\n\"NAME\"=dword:2\n\"other\"=\"x\"\n");
  ASSERT_EQ(data.keys.size(), 1u);
  EXPECT_EQ(data.keys[0].path, "Software\\A");
  ASSERT_EQ(data.keys[0].values.size(), 2u);
  EXPECT_EQ(data.keys[0].values[0].name, "Name");  // first spelling kept, last data wins
  EXPECT_EQ(data.keys[0].values[0].data, (std::vector<uint8_t>{2, 0, 0, 0}));
  EXPECT_TRUE(data.KeyExists(RegistryRoot::kLocalMachine, "software"));
  EXPECT_TRUE(data.KeyExists(RegistryRoot::kLocalMachine, "SOFTWARE\\A"));
  EXPECT_FALSE(data.KeyExists(RegistryRoot::kLocalMachine, "Software\\AB"));
  EXPECT_FALSE(data.KeyExists(RegistryRoot::kCurrentUser, "Software"));
}

TEST(RegistryFileTest, DeletionLinesRemoveKeysAndValues) {
  const RegistryData data = Parse(
      "Windows Registry Editor Version 5.00\n"
      "[HKLM\\A\\B]\n\"x\"=dword:1\n\"y\"=dword:2\n"
      "[HKLM\\A\\B\\C]\n"
      "[HKLM\\A\\B]\n\"x\"=-\n"
      "[-HKLM\\A\\B\\C]\n");
  EXPECT_FALSE(data.KeyExists(RegistryRoot::kLocalMachine, "A\\B\\C"));
  ASSERT_NE(Find(data, "A\\B", "y"), nullptr);
  EXPECT_EQ(Find(data, "A\\B", "x"), nullptr);
}

TEST(RegistryFileTest, ManyKeysAndValuesKeepTheirOrderAndDeletions) {
  std::string text = "Windows Registry Editor Version 5.00\n";
  for (int i = 0; i < 2000; ++i) {
    text += "[HKLM\\K" + std::to_string(i) + "]\n\"a\"=dword:1\n\"b\"=dword:2\n\"A\"=-\n";
    if (i % 2) text += "[-HKLM\\K" + std::to_string(i - 1) + "]\n";
  }
  text += "[HKLM\\K0]\n\"a\"=dword:3\n";  // back after its deletion: now the last key
  const RegistryData data = Parse(text);
  ASSERT_EQ(data.keys.size(), 1001u);
  for (size_t i = 0; i < 1000; ++i) {
    ASSERT_EQ(data.keys[i].path, "K" + std::to_string(2 * i + 1)) << i;
    ASSERT_EQ(data.keys[i].values.size(), 1u) << i;
    EXPECT_EQ(data.keys[i].values[0].name, "b") << i;
  }
  EXPECT_EQ(data.keys[1000].path, "K0");
  ASSERT_EQ(data.keys[1000].values.size(), 1u);
  EXPECT_EQ(data.keys[1000].values[0].data, (std::vector<uint8_t>{3, 0, 0, 0}));
}

TEST(RegistryFileTest, Regedit4StringsAreAnsiAndVersion5MayBeUtf16) {
  // "Да" in Windows-1251 in a REGEDIT4 file, in plain and hex(2) notation.
  const std::string ansi = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"s\"=\"\xc4\xe0\"\r\n\"e\"=hex(2):c4,e0,00\r\n";
  RegistryData data = Parse(ansi);
  ASSERT_NE(Find(data, "K", "s"), nullptr);
  EXPECT_EQ(Find(data, "K", "s")->data, Utf16(u"Да\0"s));
  ASSERT_NE(Find(data, "K", "e"), nullptr);
  EXPECT_EQ(Find(data, "K", "e")->data, Utf16(u"Да\0"s));

  const std::u16string wide = u"\uFEFFWindows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"s\"=\"Да\"\r\n";
  const std::vector<uint8_t> bytes = Utf16(wide);
  data = ParseRegistryText(bytes.data(), bytes.size());
  ASSERT_NE(Find(data, "K", "s"), nullptr);
  EXPECT_EQ(Find(data, "K", "s")->data, Utf16(u"Да\0"s));
}

TEST(RegistryFileTest, WritingAndReadingBackGivesTheSameRegistry) {
  RegistryData data;
  data.SetValue(RegistryRoot::kLocalMachine, "Software\\Duvodovid\\Direct3D",
                {"DisableMMX", REG_DWORD, {1, 0, 0, 0}});
  data.SetValue(RegistryRoot::kLocalMachine, "Software\\Duvodovid\\Direct3D",
                {"Path \"quoted\" \\", REG_SZ, Utf16(u"C:\\Путь\\\0"s)});
  data.SetValue(RegistryRoot::kLocalMachine, "K", {"", REG_SZ, Utf16(u"default\0"s)});
  data.SetValue(RegistryRoot::kLocalMachine, "K", {"lines", REG_SZ, Utf16(u"a\nb\0"s)});
  data.SetValue(RegistryRoot::kLocalMachine, "K", {"no terminator", REG_SZ, Utf16(u"ab"s)});
  data.SetValue(RegistryRoot::kLocalMachine, "K", {"short dword", REG_DWORD, {1, 2}});
  data.SetValue(RegistryRoot::kCurrentUser, "K", {"big", REG_BINARY, std::vector<uint8_t>(100, 0xab)});
  data.CreateKey(RegistryRoot::kUsers, "Empty\\Key");
  const std::string text = win32::SerializeRegistry(data);
  EXPECT_EQ(Parse(text), data) << text;
  EXPECT_NE(text.find("\"DisableMMX\"=dword:00000001\n"), std::string::npos) << text;
  EXPECT_NE(text.find("@=\"default\"\n"), std::string::npos) << text;
}

TEST(RegistryFileTest, NormalisesKeyPaths) {
  EXPECT_EQ(win32::NormaliseKeyPath("A\\B", "\\C\\\\D\\"), "A\\B\\C\\D");
  EXPECT_EQ(win32::NormaliseKeyPath("", ""), "");
}

}  // namespace
