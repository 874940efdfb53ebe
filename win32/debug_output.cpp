#include "win32/debug_output.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "win32/string_conversion.h"
#include "win32/text_encoding.h"

namespace {

struct Sink {
  std::recursive_mutex mutex;  // a hook may itself write debugger output
  win32::DebugOutputHook hook = nullptr;
  void* context = nullptr;
};

Sink& TheSink() {
  static Sink sink;
  return sink;
}

bool StderrWanted() {
  const char* value = std::getenv("UT_DEBUG_OUTPUT");
  return value && *value && std::strcmp(value, "0") != 0;
}

}  // namespace

void OutputDebugStringA(LPCSTR text) {
  if (!text) return;
  Sink& sink = TheSink();
  std::lock_guard<std::recursive_mutex> lock(sink.mutex);
  if (sink.hook) sink.hook(text, sink.context);
  if (StderrWanted()) {
    const std::string utf8 = win32::AnsiToUtf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
  }
}

void OutputDebugStringW(LPCWSTR text) {
  if (!text) return;
  const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return;
  std::string ansi(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, ansi.data(), size, nullptr, nullptr);
  OutputDebugStringA(ansi.c_str());
}

namespace win32 {

void SetDebugOutputHook(DebugOutputHook hook, void* context) {
  Sink& sink = TheSink();
  std::lock_guard<std::recursive_mutex> lock(sink.mutex);
  sink.hook = hook;
  sink.context = context;
}

}  // namespace win32
