// Drawing: the checks Direct3D 9 makes before a draw, then the fixed-function pipeline of
// draw_setup.h, primitive_assembly.h and rasterizer.h. Triangle lists, strips and fans are
// drawn; points and lines are not, and report D3DERR_NOTAVAILABLE rather than pretending to
// have been drawn.
#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/device.h"
#include "d3d9/runtime/draw_setup.h"
#include "d3d9/runtime/primitive_assembly.h"
#include "d3d9/runtime/vertex_buffer.h"

namespace d3d9rt {
namespace {

// Vertices used by `count` primitives of `type`, or 0 for an invalid type. 64 bits, so that
// no count wraps around into a small number of vertices.
uint64_t VertexCount(D3DPRIMITIVETYPE type, UINT count) {
  const uint64_t n = count;
  switch (type) {
    case D3DPT_POINTLIST: return n;
    case D3DPT_LINELIST: return n * 2;
    case D3DPT_LINESTRIP: return n + 1;
    case D3DPT_TRIANGLELIST: return n * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return n + 2;
    default: return 0;
  }
}

bool IsTriangles(D3DPRIMITIVETYPE type) {
  return type == D3DPT_TRIANGLELIST || type == D3DPT_TRIANGLESTRIP || type == D3DPT_TRIANGLEFAN;
}

HRESULT CheckDraw(const PipelineState& state, const D3DCAPS9& caps, D3DPRIMITIVETYPE type,
                  UINT count, UINT stride, const char* name) {
  if (!state.inScene) return DebugError(D3DERR_INVALIDCALL, "%s: outside BeginScene/EndScene", name);
  if (!VertexCount(type, count) || count == 0 || count > caps.MaxPrimitiveCount) {
    return DebugError(D3DERR_INVALIDCALL, "%s: primitive type %u, count %u", name, type, count);
  }
  if (!state.fvf) return DebugError(D3DERR_INVALIDCALL, "%s: no vertex format is set", name);
  if (stride < FvfVertexSize(state.fvf)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: stride %u is less than the %u bytes of a vertex",
                      name, stride, FvfVertexSize(state.fvf));
  }
  if (!IsTriangles(type)) {
    return DebugError(D3DERR_NOTAVAILABLE, "%s: this rasteriser draws triangles only, not "
                                           "primitive type %u", name, type);
  }
  return D3D_OK;
}

}  // namespace

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                              UINT PrimitiveCount) {
  const StreamSource& stream = state_.streams[0];
  if (state_.inScene && (!stream.buffer || !stream.stride)) {
    return DebugError(D3DERR_INVALIDCALL, "DrawPrimitive: no vertex buffer on stream 0");
  }
  HRESULT hr = CheckDraw(state_, Caps(), PrimitiveType, PrimitiveCount, stream.stride,
                         "DrawPrimitive");
  if (FAILED(hr)) return hr;
  const uint64_t first = stream.offset + uint64_t{StartVertex} * stream.stride;
  const uint64_t end = first + VertexCount(PrimitiveType, PrimitiveCount) * stream.stride;
  if (end > stream.buffer->Size()) {
    return DebugError(D3DERR_INVALIDCALL, "DrawPrimitive: vertices run past the buffer");
  }
  DrawSetup setup{};
  hr = PrepareDraw(state_, "DrawPrimitive", &setup);
  if (FAILED(hr)) return hr;
  DrawTriangles(setup, PrimitiveType, stream.buffer->Data() + first, stream.stride,
                PrimitiveCount);
  return D3D_OK;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) {
  if (!pVertexStreamZeroData || !VertexStreamZeroStride) {
    return DebugError(D3DERR_INVALIDCALL, "DrawPrimitiveUP: no vertices");
  }
  HRESULT hr = CheckDraw(state_, Caps(), PrimitiveType, PrimitiveCount, VertexStreamZeroStride,
                         "DrawPrimitiveUP");
  if (FAILED(hr)) return hr;
  DrawSetup setup{};
  hr = PrepareDraw(state_, "DrawPrimitiveUP", &setup);
  if (FAILED(hr)) return hr;
  DrawTriangles(setup, PrimitiveType, static_cast<const BYTE*>(pVertexStreamZeroData),
                VertexStreamZeroStride, PrimitiveCount);
  // Stream 0 no longer names a buffer after a draw from memory, as in Direct3D 9.
  StreamSource& stream = state_.streams[0];
  if (stream.buffer) stream.buffer->Unretain();
  stream = {};
  return D3D_OK;
}

}  // namespace d3d9rt
