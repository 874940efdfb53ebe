#include "ut/surface/copy_surface_bits.h"

#include <algorithm>
#include <cstring>

#include "ut/surface/lock_units.h"

HRESULT CopySurfaceBits(IDirect3DSurface9* source, IDirect3DSurface9* destination) {
  if (!source || !destination) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC from;
  D3DSURFACE_DESC to;
  HRESULT hr = source->GetDesc(&from);
  if (FAILED(hr)) return hr;
  hr = destination->GetDesc(&to);
  if (FAILED(hr)) return hr;
  // Rows are copied by the source's size: a smaller destination would be written past its end.
  if (from.Format != to.Format || from.Width != to.Width || from.Height != to.Height) {
    return D3DERR_INVALIDCALL;
  }

  D3DLOCKED_RECT in;
  hr = source->LockRect(&in, nullptr, 0);
  if (FAILED(hr)) return hr;
  D3DLOCKED_RECT out;
  hr = destination->LockRect(&out, nullptr, 0);
  if (FAILED(hr)) {
    source->UnlockRect();
    return hr;
  }

  // A lock without a positive pitch has no rows to address.
  if (in.Pitch <= 0 || out.Pitch <= 0) {
    destination->UnlockRect();
    source->UnlockRect();
    return D3DERR_INVALIDCALL;
  }
  const UINT rows = StoredRows(from.Format, from.Height);
  // The smaller pitch, but no more than a row holds when the format's storage is known: the
  // last row of a lock need not extend to a full pitch.
  uint64_t rowBytes = static_cast<uint64_t>(std::min(in.Pitch, out.Pitch));
  if (const uint64_t stored = StoredRowBytes(from.Format, from.Width)) {
    rowBytes = std::min(rowBytes, stored);
  }
  const BYTE* src = static_cast<const BYTE*>(in.pBits);
  BYTE* dst = static_cast<BYTE*>(out.pBits);
  for (UINT row = 0; row < rows; ++row) {
    std::memcpy(dst + static_cast<size_t>(row) * out.Pitch,
                src + static_cast<size_t>(row) * in.Pitch, static_cast<size_t>(rowBytes));
  }

  destination->UnlockRect();
  source->UnlockRect();
  return S_OK;
}
