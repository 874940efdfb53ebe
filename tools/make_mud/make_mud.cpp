// make_mud [output.jpg]: writes the demo's 512 x 512 mud texture (default "mud.jpg").
// The picture is generated here from noise; scripts/ regenerate demo/assets/mud.jpg with it.
#include <cstdio>
#include <jpeglib.h>

#include "mud_pattern.h"

namespace {

constexpr int kSize = 512;
constexpr int kQuality = 85;  // keeps the file well under 150 KB with the grain intact
constexpr unsigned kSeed = 1907;

bool WriteJpeg(const char* path, const std::vector<std::uint8_t>& rgb, int width, int height) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);  // the default manager exits on error, fine for a tool
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, kQuality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&rgb[static_cast<std::size_t>(cinfo.next_scanline) * width * 3]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "mud.jpg";
  const std::vector<std::uint8_t> rgb = MakeMudPattern(kSize, kSize, kSeed);
  if (!WriteJpeg(path, rgb, kSize, kSize)) {
    std::fprintf(stderr, "make_mud: cannot write %s\n", path);
    return 1;
  }
  return 0;
}
