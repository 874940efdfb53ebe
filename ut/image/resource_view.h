// ResourceView: the bytes of a resource embedded in a module. The bytes belong to the module
// and stay valid while it is loaded; closing the view only forgets them.
#pragma once

#include "ut_image.h"

class ResourceView {
 public:
  ResourceView() = default;
  ResourceView(const ResourceView&) = delete;
  ResourceView& operator=(const ResourceView&) = delete;

  // Finds the resource `name` (a narrow string, a wide one when `wide` is TRUE, or a
  // MAKEINTRESOURCE identifier) in `module` (null: the program's own). With `tryBitmap` TRUE
  // an RT_BITMAP resource is preferred to an RT_RCDATA one of the same name. A resource that
  // can't be found, is empty or can't be loaded gives UTERR_INVALIDDATA.
  HRESULT Open(HMODULE module, const void* name, BOOL tryBitmap, BOOL wide);
  HRESULT Close();

  const void* data() const { return data_; }
  UINT size() const { return size_; }

 private:
  HGLOBAL resource_ = nullptr;
  const void* data_ = nullptr;
  UINT size_ = 0;
};
