// A device of the software runtime for the texture tests, with the runtime's test settings
// reset before and after each test.
#pragma once

#include <gtest/gtest.h>

#include "d3d9/d3d9.h"
#include "win32/com_ptr.h"

class RuntimeDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  IDirect3DDevice9* device() const { return device_.Get(); }
  // Replaces the adapter's TextureCaps and size limits; the other caps stay at their defaults.
  static void SetTextureLimits(DWORD textureCaps, DWORD maxWidth, DWORD maxHeight,
                               DWORD maxVolumeExtent, DWORD maxAspectRatio);

 private:
  ComPtr<IDirect3DDevice9> device_;
};
