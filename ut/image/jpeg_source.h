// JpegMemorySource: a libjpeg source manager over an image file held in memory.
#pragma once

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

struct JpegMemorySource {
  jpeg_source_mgr pub;
  const JOCTET* data;  // first byte of the file
  size_t size;         // bytes in the file
  boolean handedOut;   // the file has been given to the decoder
};

// Allocates a JpegMemorySource from the decompressor's permanent pool (released with the
// decompressor) and installs it as the decompressor's source. The whole file is handed to
// libjpeg in one piece, without a copy.
void InstallJpegMemorySource(j_decompress_ptr cinfo, const void* data, size_t size);
