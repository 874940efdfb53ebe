// The baseline of the loading benchmarks: what a program using libjpeg directly does.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <jpeglib.h>

// Decodes `file` with libjpeg's memory source, RGB rows one at a time into a buffer of its own,
// with the inverse DCT `dct` (pass the one the reader picks). Null when libjpeg fails; it prints
// nothing.
std::unique_ptr<uint8_t[]> DecodeJpegToRgbRows(const std::vector<uint8_t>& file, J_DCT_METHOD dct);
