# ut_add_subdirectories(): every immediate subfolder that holds a CMakeLists.txt joins the build,
# so a new component needs no edit of its parent.
macro(ut_add_subdirectories)
  file(GLOB _ut_children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  list(SORT _ut_children)
  foreach(_ut_child ${_ut_children})
    get_filename_component(_ut_dir ${_ut_child} DIRECTORY)
    add_subdirectory(${_ut_dir})
  endforeach()
endmacro()
