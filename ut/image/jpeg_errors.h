// JpegErrorManager: a libjpeg error manager that never prints and never exits. An error jumps
// back to the reader's jump point with the value 1; warnings pass silently.
#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;  // set by the reader before it creates the decompressor
};

// Initialises `manager` (jpeg_std_error with error_exit and output_message replaced) and
// returns the pointer to install as the decompressor's err.
jpeg_error_mgr* InitJpegErrorManager(JpegErrorManager* manager);
