#include "ut/image/resource_view.h"

#include "win32/win32.h"

namespace {

// RT_BITMAP and RT_RCDATA by number, for the narrow and the wide call alike.
constexpr WORD kBitmap = 2;
constexpr WORD kRcData = 10;

HRSRC Find(HMODULE module, const void* name, WORD type, BOOL wide) {
  if (wide) return FindResourceW(module, static_cast<LPCWSTR>(name), MAKEINTRESOURCEW(type));
  return FindResourceA(module, static_cast<LPCSTR>(name), MAKEINTRESOURCEA(type));
}

}  // namespace

HRESULT ResourceView::Open(HMODULE module, const void* name, BOOL tryBitmap, BOOL wide) {
  Close();
  // A bitmap resource is a headerless DIB, which the readers recognise; prefer it.
  HRSRC found = tryBitmap ? Find(module, name, kBitmap, wide) : nullptr;
  if (!found) found = Find(module, name, kRcData, wide);
  if (!found) return UTERR_INVALIDDATA;
  const DWORD size = SizeofResource(module, found);
  if (size == 0) return UTERR_INVALIDDATA;
  const HGLOBAL resource = LoadResource(module, found);
  if (!resource) return UTERR_INVALIDDATA;
  const void* data = LockResource(resource);
  if (!data) return UTERR_INVALIDDATA;
  resource_ = resource;
  data_ = data;
  size_ = size;
  return S_OK;
}

HRESULT ResourceView::Close() {
  resource_ = nullptr;
  data_ = nullptr;
  size_ = 0;
  return S_OK;
}
