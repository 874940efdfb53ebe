// MappedFile: a file on disk mapped read-only into memory for the span of one call.
#pragma once

#include "ut_image.h"

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile() { Close(); }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Opens and maps the file at `path`, a narrow string, or a wide one when `wide` is TRUE.
  // The file is shared for reading only, so a file another process is writing can't be
  // opened. An empty file opens with data null and size 0. D3DERR_INVALIDCALL for a null
  // path; UTERR_INVALIDDATA for every other failure, a missing file included. What was opened
  // before a failure stays held until Close or destruction.
  HRESULT Open(const void* path, BOOL wide);
  // Releases the view, the mapping and the file, in that order. Always S_OK.
  HRESULT Close();

  const void* data() const { return data_; }
  UINT size() const { return size_; }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  HANDLE mapping_ = INVALID_HANDLE_VALUE;
  const void* data_ = nullptr;
  UINT size_ = 0;
};
