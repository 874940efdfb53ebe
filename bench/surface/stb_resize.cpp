// The stb_image_resize implementation, compiled once for the benchmark's baseline.
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb/stb_image_resize.h>
