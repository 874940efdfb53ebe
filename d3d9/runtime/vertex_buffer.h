// Vertex buffers.
#pragma once

#include <memory>

#include "d3d9/runtime/resource_impl.h"

namespace d3d9rt {

class VertexBuffer final : public ResourceImpl<IDirect3DVertexBuffer9> {
 public:
  // Validates the arguments of CreateVertexBuffer and creates the buffer (zeroed).
  static HRESULT Create(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                        VertexBuffer** out);

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  // Buffers may be locked more than once at a time; each Lock needs its Unlock.
  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) override;

  // The vertices, for drawing.
  const BYTE* Data() const { return data_.get(); }
  UINT Size() const { return desc_.Size; }
  bool Locked() const { return locks_ > 0; }

 private:
  VertexBuffer(Device* device, const D3DVERTEXBUFFER_DESC& desc);
  ~VertexBuffer() override;

  D3DVERTEXBUFFER_DESC desc_;
  std::unique_ptr<BYTE[]> data_;
  UINT locks_ = 0;
};

// Bytes of one vertex of a flexible vertex format, or 0 for an invalid format.
UINT FvfVertexSize(DWORD fvf);

}  // namespace d3d9rt
