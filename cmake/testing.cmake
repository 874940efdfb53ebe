# ut_add_test(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable per component, registered with ctest as a whole so that each
# executable is one fresh process (per-process state such as registry reads starts clean).
function(ut_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=offscreen;${T_ENV}")
endfunction()

# ut_add_fuzzer(<name> SOURCES <files...> LIBS <targets...> SEEDS <dir>)
function(ut_add_fuzzer name)
  cmake_parse_arguments(F "" "SEEDS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
