// Present: the back buffer (or its source rectangle) stretched over the client area of the
// device window, or of the override window, through the win32 layer. A device created without
// any window has nowhere to show its frames; its Present only counts them.
#include "d3d9/runtime/color_codec.h"
#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/device.h"
#include "d3d9/runtime/runtime_state.h"
#include "d3d9/runtime/surface.h"
#include "win32/window.h"
#include "win32/window_present.h"

namespace d3d9rt {

HRESULT Device::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                        const RGNDATA*) {
  if (CurrentDeviceState() != DeviceState::kOperational) {
    return DebugError(D3DERR_DEVICELOST, "Present: the device is lost");
  }
  if ((pSourceRect || pDestRect) && present_.SwapEffect != D3DSWAPEFFECT_COPY) {
    return DebugError(D3DERR_INVALIDCALL,
                      "Present: rectangles need D3DSWAPEFFECT_COPY");
  }
  if (!backBuffer_) return DebugError(D3DERR_INVALIDCALL, "Present: the device has no back buffer");
  if (pDestRect) {
    return DebugError(D3DERR_NOTAVAILABLE,
                      "Present: destination rectangles are not supported; the picture fills the "
                      "client area");
  }
  PixelPlane& plane = backBuffer_->Plane();
  Area area = plane.Whole();
  if (pSourceRect) {
    const RECT& r = *pSourceRect;
    if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom ||
        static_cast<UINT>(r.right) > plane.Width() || static_cast<UINT>(r.bottom) > plane.Height()) {
      return DebugError(D3DERR_INVALIDCALL, "Present: source rectangle (%d, %d, %d, %d) outside "
                                            "the %ux%u back buffer", r.left, r.top, r.right,
                        r.bottom, plane.Width(), plane.Height());
    }
    area = {static_cast<UINT>(r.left), static_cast<UINT>(r.top), 0, static_cast<UINT>(r.right),
            static_cast<UINT>(r.bottom), 1};
  }

  const HWND window = hDestWindowOverride ? hDestWindowOverride : PresentWindow();
  if (window) {
    if (!IsWindow(window)) {
      return DebugError(D3DERR_INVALIDCALL, "Present: the window %p no longer exists",
                        static_cast<void*>(window));
    }
    const int width = static_cast<int>(area.Width()), height = static_cast<int>(area.Height());
    const void* pixels = nullptr;
    int pitch = 0;
    const D3DFORMAT format = plane.Format();
    if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) {
      // The window takes these as they are: B, G, R, then a byte it ignores.
      pixels = plane.At(area.left, area.top, 0);
      pitch = static_cast<int>(plane.RowPitch());
    } else {
      ColorCodec codec;
      if (!codec.Init(plane.Layout())) {
        return DebugError(D3DERR_NOTAVAILABLE, "Present: back buffer format %#x can't be shown",
                          format);
      }
      presentPixels_.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
      for (int y = 0; y < height; ++y) {
        const BYTE* row = plane.At(area.left, area.top + static_cast<UINT>(y), 0);
        uint32_t* out = presentPixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int x = 0; x < width; ++x) out[x] = codec.Decode(row + static_cast<size_t>(x) * codec.Bytes());
      }
      pixels = presentPixels_.data();
      pitch = width * 4;
    }
    if (!win32::PresentToWindow(window, pixels, width, height, pitch)) {
      return DebugError(D3DERR_DRIVERINTERNALERROR,
                        "Present: the window system could not show the frame");
    }
  }
  ++presentCount_;
  return D3D_OK;
}

}  // namespace d3d9rt
