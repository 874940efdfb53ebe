# ut_add_resources(<target> TYPE <type> NAME <name>... FILES <file>...)
#
# Embeds files into <target> as module resources, found at run time with FindResource /
# LoadResource / LockResource / SizeofResource on the program's own module (GetModuleHandle(NULL)).
# Each NAME pairs with the FILE in the same place; call the function once per type.
#   TYPE  RT_BITMAP, RT_RCDATA or another RT_ name, a number, or a string type name
#   NAME  a string name, or "#<number>" for an integer identifier (MAKEINTRESOURCE)
# As the resource compiler does, an RT_BITMAP file loses its 14-byte bitmap file header ("BM"):
# a bitmap resource is the device-independent bitmap alone.
#
# The bytes go into a generated source file, rebuilt whenever the file changes, that is
# compiled into <target> itself and registers the resource before main runs; being part of the
# target, it can't be dropped by a static link. <target> is an executable or a shared library.
set(_UT_EMBED_RESOURCE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/embed_resource.cmake)

set(_UT_RESOURCE_TYPE_IDS
  RT_CURSOR 1 RT_BITMAP 2 RT_ICON 3 RT_MENU 4 RT_DIALOG 5 RT_STRING 6 RT_FONTDIR 7 RT_FONT 8
  RT_ACCELERATOR 9 RT_RCDATA 10 RT_MESSAGETABLE 11 RT_HTML 23 RT_MANIFEST 24)

function(ut_add_resources target)
  cmake_parse_arguments(R "" "TYPE" "NAME;FILES" ${ARGN})
  if(NOT TARGET ${target})
    message(FATAL_ERROR "ut_add_resources: ${target} is not a target")
  endif()
  get_target_property(kind ${target} TYPE)
  if(NOT kind STREQUAL "EXECUTABLE" AND NOT kind STREQUAL "SHARED_LIBRARY" AND NOT kind STREQUAL "MODULE_LIBRARY")
    message(FATAL_ERROR "ut_add_resources: ${target} is a ${kind}; resources go into an executable or a shared library")
  endif()
  if(NOT R_TYPE)
    message(FATAL_ERROR "ut_add_resources: TYPE is missing")
  endif()
  list(LENGTH R_NAME nameCount)
  list(LENGTH R_FILES fileCount)
  if(nameCount EQUAL 0 OR NOT nameCount EQUAL fileCount)
    message(FATAL_ERROR "ut_add_resources: give one NAME per file (${nameCount} names, ${fileCount} files)")
  endif()

  # The type as the resource functions read it: "#<id>" or the string itself.
  list(FIND _UT_RESOURCE_TYPE_IDS "${R_TYPE}" known)
  if(known GREATER_EQUAL 0)
    math(EXPR idIndex "${known} + 1")
    list(GET _UT_RESOURCE_TYPE_IDS ${idIndex} typeId)
    set(type "#${typeId}")
  elseif(R_TYPE MATCHES "^[0-9]+$")
    set(type "#${R_TYPE}")
  else()
    set(type "${R_TYPE}")
  endif()

  math(EXPR last "${nameCount} - 1")
  foreach(i RANGE ${last})
    list(GET R_NAME ${i} name)
    list(GET R_FILES ${i} file)
    get_filename_component(file "${file}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})

    # Two resources of one type and name can't both be found: refuse it here.
    string(TOUPPER "${type}|${name}" key)
    get_property(keys TARGET ${target} PROPERTY UT_RESOURCE_KEYS)
    if(key IN_LIST keys)
      message(FATAL_ERROR "ut_add_resources: ${target} already has a ${R_TYPE} resource named ${name}")
    endif()
    set_property(TARGET ${target} APPEND PROPERTY UT_RESOURCE_KEYS "${key}")

    get_property(count TARGET ${target} PROPERTY UT_RESOURCE_COUNT)
    if(NOT count)
      set(count 0)
    endif()
    math(EXPR next "${count} + 1")
    set_property(TARGET ${target} PROPERTY UT_RESOURCE_COUNT ${next})

    # Names and types travel as hex so that no character can break the command line.
    string(HEX "${type}" typeHex)
    string(HEX "${name}" nameHex)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources/resource_${count}.cpp)
    add_custom_command(
      OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -DUT_RESOURCE_INPUT=${file} -DUT_RESOURCE_OUTPUT=${out}
              -DUT_RESOURCE_TYPE_HEX=${typeHex} -DUT_RESOURCE_NAME_HEX=${nameHex}
              -P ${_UT_EMBED_RESOURCE_SCRIPT}
      DEPENDS ${file} ${_UT_EMBED_RESOURCE_SCRIPT}
      COMMENT "Embedding ${R_TYPE} resource ${name} from ${file}"
      VERBATIM)
    target_sources(${target} PRIVATE ${out})
  endforeach()
  target_link_libraries(${target} PRIVATE win32)
endfunction()
