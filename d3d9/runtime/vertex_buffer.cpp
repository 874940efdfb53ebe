#include "d3d9/runtime/vertex_buffer.h"

#include <cstring>
#include <new>

#include "d3d9/runtime/device.h"
#include "d3d9/runtime/pixel_plane.h"
#include "d3d9/runtime/runtime_state.h"

namespace d3d9rt {

UINT FvfVertexSize(DWORD fvf) {
  UINT size = 0;
  switch (fvf & D3DFVF_POSITION_MASK) {
    case 0: break;
    case D3DFVF_XYZ: size = 12; break;
    case D3DFVF_XYZRHW: size = 16; break;
    case D3DFVF_XYZB1: size = 16; break;
    case D3DFVF_XYZB2: size = 20; break;
    case D3DFVF_XYZB3: size = 24; break;
    case D3DFVF_XYZB4: size = 28; break;
    case D3DFVF_XYZB5: size = 32; break;
    case D3DFVF_XYZW: size = 16; break;
    default: return 0;
  }
  if (fvf & D3DFVF_NORMAL) size += 12;
  if (fvf & D3DFVF_PSIZE) size += 4;
  if (fvf & D3DFVF_DIFFUSE) size += 4;
  if (fvf & D3DFVF_SPECULAR) size += 4;
  const UINT sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (sets > D3DDP_MAXTEXCOORD) return 0;
  for (UINT i = 0; i < sets; ++i) {
    static constexpr UINT kFloats[4] = {2, 3, 4, 1};  // D3DFVF_TEXTUREFORMAT2, 3, 4, 1
    size += 4 * kFloats[(fvf >> (16 + 2 * i)) & 3u];
  }
  return size;
}

VertexBuffer::VertexBuffer(Device* device, const D3DVERTEXBUFFER_DESC& desc)
    : ResourceImpl(device, 1, true), desc_(desc) {
  if (desc_.Pool == D3DPOOL_DEFAULT) device_->CountDefaultPoolResource(+1);
}

VertexBuffer::~VertexBuffer() {
  if (desc_.Pool == D3DPOOL_DEFAULT) device_->CountDefaultPoolResource(-1);
}

HRESULT VertexBuffer::Create(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                             VertexBuffer** out) {
  const DWORD allowed = D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING | D3DUSAGE_DONOTCLIP |
                        D3DUSAGE_POINTS | D3DUSAGE_RTPATCHES | D3DUSAGE_NPATCHES |
                        D3DUSAGE_DYNAMIC;
  if (length == 0) return DebugError(D3DERR_INVALIDCALL, "CreateVertexBuffer: zero length");
  if (usage & ~allowed) {
    return DebugError(D3DERR_INVALIDCALL, "CreateVertexBuffer: invalid usage %#x", usage);
  }
  if (pool > D3DPOOL_SYSTEMMEM) {
    return DebugError(D3DERR_INVALIDCALL, "CreateVertexBuffer: invalid pool %u", pool);
  }
  if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) {
    return DebugError(D3DERR_INVALIDCALL,
                      "CreateVertexBuffer: D3DUSAGE_DYNAMIC can't be D3DPOOL_MANAGED");
  }
  if (fvf) {
    const UINT vertex = FvfVertexSize(fvf);
    if (!vertex) return DebugError(D3DERR_INVALIDCALL, "CreateVertexBuffer: invalid FVF %#x", fvf);
    if (length < vertex) {
      return DebugError(D3DERR_INVALIDCALL,
                        "CreateVertexBuffer: %u bytes can't hold one vertex of FVF %#x", length,
                        fvf);
    }
  }
  const D3DVERTEXBUFFER_DESC desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool,
                                     length, fvf};
  VertexBuffer* buffer = new (std::nothrow) VertexBuffer(device, desc);
  if (!buffer) return E_OUTOFMEMORY;
  buffer->data_.reset(new (std::nothrow) BYTE[length]());
  if (!buffer->data_) {
    buffer->Release();
    return pool == D3DPOOL_DEFAULT ? D3DERR_OUTOFVIDEOMEMORY : E_OUTOFMEMORY;
  }
  *out = buffer;
  return D3D_OK;
}

HRESULT VertexBuffer::QueryInterface(REFIID riid, void** ppvObject) {
  if (!ppvObject) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirect3DResource9 ||
      riid == IID_IDirect3DVertexBuffer9) {
    AddRef();
    *ppvObject = static_cast<IDirect3DVertexBuffer9*>(this);
    return S_OK;
  }
  *ppvObject = nullptr;
  return E_NOINTERFACE;
}

HRESULT VertexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) {
  const bool dynamic = desc_.Usage & D3DUSAGE_DYNAMIC;
  // Size 0 locks from the offset to the end.
  const UINT size = SizeToLock ? SizeToLock : desc_.Size - (OffsetToLock <= desc_.Size ? OffsetToLock : desc_.Size);
  LockRecord record = {kLockVertexBuffer, D3DFMT_VERTEXDATA, desc_.Pool, desc_.Usage, Flags,
                       OffsetToLock == 0 && (SizeToLock == 0 || SizeToLock == desc_.Size),
                       {OffsetToLock, 0, OffsetToLock + size, 1, 0, 1}, D3D_OK};
  HRESULT hr = EnterCall(kLockVertexBuffer);
  if (FAILED(hr)) {
    hr = DebugError(hr, "Lock: injected failure");
  } else if (!ppbData) {
    hr = DebugError(D3DERR_INVALIDCALL, "Lock: null output pointer");
  } else if (OffsetToLock > desc_.Size || size > desc_.Size - OffsetToLock) {
    hr = DebugError(D3DERR_INVALIDCALL, "Lock: %u bytes at %u exceed the %u-byte buffer", size,
                    OffsetToLock, desc_.Size);
  } else if (!ValidLockFlags(Flags, dynamic, true)) {
    hr = DebugError(D3DERR_INVALIDCALL, "Lock: invalid flags %#x", Flags);
  } else if ((Flags & D3DLOCK_READONLY) && (desc_.Usage & D3DUSAGE_WRITEONLY)) {
    hr = DebugError(D3DERR_INVALIDCALL, "Lock: D3DLOCK_READONLY on a D3DUSAGE_WRITEONLY buffer");
  } else {
    // A discarded buffer's old contents are gone: show it.
    if (Flags & D3DLOCK_DISCARD) std::memset(data_.get(), PixelPlane::kDiscardPattern, desc_.Size);
    ++locks_;
    *ppbData = data_.get() + OffsetToLock;
  }
  record.result = hr;
  RecordLock(record);
  return hr;
}

HRESULT VertexBuffer::Unlock() {
  if (locks_ == 0) return DebugError(D3DERR_INVALIDCALL, "Unlock: the buffer is not locked");
  --locks_;
  return D3D_OK;
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* pDesc) {
  if (!pDesc) return DebugError(D3DERR_INVALIDCALL, "GetDesc: null output pointer");
  *pDesc = desc_;
  return D3D_OK;
}

}  // namespace d3d9rt
