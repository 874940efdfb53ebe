// The benchmarks' test picture: a photo-like JPEG made in memory.
#pragma once

#include <cstdint>
#include <vector>

// A width x height colour picture of smooth ramps with a little noise, 4:2:0, quality 90.
// Empty if libjpeg fails.
std::vector<uint8_t> MakePhotoLikeJpeg(int width, int height);
