#include "ut/image/jpeg_source.h"

#include <jerror.h>

namespace {

JpegMemorySource* SourceOf(j_decompress_ptr cinfo) { return reinterpret_cast<JpegMemorySource*>(cinfo->src); }

void InitSource(j_decompress_ptr) {}

void TermSource(j_decompress_ptr) {}

// The first call hands over the whole file. A decoder that asks again has run off the end of
// a truncated file: it gets an end-of-image marker, so it finishes the image with what it has
// (libjpeg's own convention) instead of reading the file again from its start, which can loop
// forever on a file cut inside a marker segment.
boolean FillInputBuffer(j_decompress_ptr cinfo) {
  JpegMemorySource* source = SourceOf(cinfo);
  if (!source->handedOut) {
    source->handedOut = TRUE;
    source->pub.next_input_byte = source->data;
    source->pub.bytes_in_buffer = source->size;
    return TRUE;
  }
  static const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};
  WARNMS(cinfo, JWRN_JPEG_EOF);
  source->pub.next_input_byte = kEndOfImage;
  source->pub.bytes_in_buffer = sizeof(kEndOfImage);
  return TRUE;
}

// Skips marker data. A request beyond the end stops at the end, never past it; the next read
// then ends the stream.
void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  JpegMemorySource* source = SourceOf(cinfo);
  if (source->pub.bytes_in_buffer == 0 && !source->handedOut) FillInputBuffer(cinfo);
  size_t skip = static_cast<size_t>(count);
  if (skip > source->pub.bytes_in_buffer) skip = source->pub.bytes_in_buffer;
  source->pub.next_input_byte += skip;
  source->pub.bytes_in_buffer -= skip;
}

}  // namespace

void InstallJpegMemorySource(j_decompress_ptr cinfo, const void* data, size_t size) {
  void* memory = (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT,
                                            sizeof(JpegMemorySource));
  JpegMemorySource* source = static_cast<JpegMemorySource*>(memory);
  source->pub.init_source = InitSource;
  source->pub.fill_input_buffer = FillInputBuffer;
  source->pub.skip_input_data = SkipInputData;
  source->pub.resync_to_restart = jpeg_resync_to_restart;
  source->pub.term_source = TermSource;
  // Empty at first, so libjpeg's first read calls FillInputBuffer.
  source->pub.next_input_byte = nullptr;
  source->pub.bytes_in_buffer = 0;
  source->data = static_cast<const JOCTET*>(data);
  source->size = size;
  source->handedOut = FALSE;
  cinfo->src = &source->pub;
}
