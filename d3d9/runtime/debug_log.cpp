#include "d3d9/runtime/debug_log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "win32/debug_output.h"

namespace d3d9rt {
namespace {

std::atomic<bool> g_muted{false};
std::atomic<unsigned> g_muteCalls{0};
std::atomic<unsigned> g_messages{0};

}  // namespace

HRESULT DebugError(HRESULT result, const char* format, ...) {
  ++g_messages;
  if (g_muted.load()) return result;
  char text[512];
  const int prefix = std::snprintf(text, sizeof(text), "Direct3D9: (ERROR) :");
  va_list args;
  va_start(args, format);
  std::vsnprintf(text + prefix, sizeof(text) - prefix - 2, format, args);
  va_end(args);
  size_t length = 0;
  while (text[length]) ++length;
  text[length] = '\r';
  text[length + 1] = '\n';
  text[length + 2] = '\0';
  OutputDebugStringA(text);
  return result;
}

void SetDebugMute(BOOL mute) {
  ++g_muteCalls;
  g_muted.store(mute != FALSE);
}

bool DebugOutputMuted() { return g_muted.load(); }
unsigned DebugMuteCalls() { return g_muteCalls.load(); }
unsigned DebugMessages() { return g_messages.load(); }

void ResetDebugLog() {
  g_muted.store(false);
  g_muteCalls.store(0);
  g_messages.store(0);
}

}  // namespace d3d9rt
