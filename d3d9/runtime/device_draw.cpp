// Drawing: the checks Direct3D 9 makes before a draw. The rasteriser that would carry out a
// valid draw is not part of this runtime yet, so a valid draw reports D3DERR_NOTAVAILABLE
// rather than pretending to have drawn.
#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/device.h"
#include "d3d9/runtime/vertex_buffer.h"

namespace d3d9rt {
namespace {

// Vertices used by `count` primitives of `type`, or 0 for an invalid type.
UINT VertexCount(D3DPRIMITIVETYPE type, UINT count) {
  switch (type) {
    case D3DPT_POINTLIST: return count;
    case D3DPT_LINELIST: return count * 2;
    case D3DPT_LINESTRIP: return count + 1;
    case D3DPT_TRIANGLELIST: return count * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return count + 2;
    default: return 0;
  }
}

HRESULT CheckDraw(const PipelineState& state, D3DPRIMITIVETYPE type, UINT count,
                  const char* name) {
  if (!state.inScene) return DebugError(D3DERR_INVALIDCALL, "%s: outside BeginScene/EndScene", name);
  if (!VertexCount(type, count) || count == 0) {
    return DebugError(D3DERR_INVALIDCALL, "%s: primitive type %u, count %u", name, type, count);
  }
  if (!state.fvf) return DebugError(D3DERR_INVALIDCALL, "%s: no vertex format is set", name);
  return D3D_OK;
}

}  // namespace

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                              UINT PrimitiveCount) {
  HRESULT hr = CheckDraw(state_, PrimitiveType, PrimitiveCount, "DrawPrimitive");
  if (FAILED(hr)) return hr;
  const StreamSource& stream = state_.streams[0];
  if (!stream.buffer || !stream.stride) {
    return DebugError(D3DERR_INVALIDCALL, "DrawPrimitive: no vertex buffer on stream 0");
  }
  const uint64_t end = stream.offset +
                       (uint64_t{StartVertex} + VertexCount(PrimitiveType, PrimitiveCount)) *
                           stream.stride;
  if (end > stream.buffer->Size()) {
    return DebugError(D3DERR_INVALIDCALL, "DrawPrimitive: vertices run past the buffer");
  }
  return DebugError(D3DERR_NOTAVAILABLE, "DrawPrimitive: this runtime has no rasteriser");
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) {
  HRESULT hr = CheckDraw(state_, PrimitiveType, PrimitiveCount, "DrawPrimitiveUP");
  if (FAILED(hr)) return hr;
  if (!pVertexStreamZeroData || !VertexStreamZeroStride) {
    return DebugError(D3DERR_INVALIDCALL, "DrawPrimitiveUP: no vertices");
  }
  return DebugError(D3DERR_NOTAVAILABLE, "DrawPrimitiveUP: this runtime has no rasteriser");
}

}  // namespace d3d9rt
