#include "ut/image/jpeg_errors.h"

namespace {

// Messages are never shown: a library has no console to write to.
void OutputMessage(j_common_ptr) {}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  (*cinfo->err->output_message)(cinfo);
  std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

}  // namespace

jpeg_error_mgr* InitJpegErrorManager(JpegErrorManager* manager) {
  jpeg_error_mgr* errors = jpeg_std_error(&manager->pub);
  errors->error_exit = ErrorExit;
  errors->output_message = OutputMessage;
  return errors;
}
