// Mutes the Direct3D runtime's debug output for one scope, around calls whose failure is
// expected and handled. Mute calls do not nest, so scopes of this kind must not overlap.
#pragma once

#include "ut_diag.h"

class MutedDebugOutput {
 public:
  MutedDebugOutput() { UtDebugMute(TRUE); }
  ~MutedDebugOutput() { UtDebugMute(FALSE); }
  MutedDebugOutput(const MutedDebugOutput&) = delete;
  MutedDebugOutput& operator=(const MutedDebugOutput&) = delete;
};
