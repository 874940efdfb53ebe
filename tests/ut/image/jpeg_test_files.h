// Test JPEG files made on the spot with libjpeg's compression API, and the bare libjpeg decode
// that the reader's output is compared with.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

struct JpegEncoding {
  const char* name;
  int width;
  int height;
  int components;  // 1 grey, 3 colour (stored as YCbCr), 4 CMYK
  int hSampling;   // luma sampling factors: 2x2 is 4:2:0, 2x1 is 4:2:2, 1x1 is 4:4:4
  int vSampling;
  bool progressive;
  int restartRows;  // restart marker after every this many MCU rows; 0 for none
};

// Encodes a textured test picture (gradients with noise, so that the inverse-DCT methods give
// different results) with the settings given, at quality 90.
std::vector<uint8_t> EncodeJpeg(const JpegEncoding& encoding);

// The picture EncodeJpeg compresses: `components` interleaved samples per pixel.
std::vector<uint8_t> TestPicture(int width, int height, int components);

struct BareJpegDecode {
  bool ok = false;
  unsigned width = 0;
  unsigned height = 0;
  int components = 0;
  std::vector<uint8_t> samples;  // rows of width x components samples, top row first
};

// Decodes `file` with libjpeg's own memory source and default settings apart from the DCT
// method. Errors end the decode (ok false); warnings pass silently. With `headerOnly` it stops
// after jpeg_start_decompress, leaving `samples` empty.
BareJpegDecode DecodeWithLibjpeg(const std::vector<uint8_t>& file, J_DCT_METHOD dctMethod,
                                 bool headerOnly = false);

// The offset of the first marker `code` (0xC0 for SOF0...) in `file`, or npos.
size_t FindMarker(const std::vector<uint8_t>& file, uint8_t code);

std::string Hex(const std::vector<uint8_t>& bytes, size_t offset, size_t count);
