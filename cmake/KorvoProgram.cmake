# Building Korvo programs: C or freestanding C++ sources compiled against the SDK headers,
# packed into a module image (NAME.kvm) and attached as resource 1111 to a copy of the
# runtime executable. Used by this tree and, installed, by KorvoConfig.cmake; either sets
# first:
#   KORVO_SDK_DIR         the folder of korvo.h and korvo.hpp
#   KORVO_SUPPORT_SOURCE  korvo_support.c, built into every program
#   KORVO_PACK, KORVO_ATTACH, KORVO_RUNTIME   the tools and the runtime executable
#   KORVO_SDK_DEPENDS, KORVO_RUNTIME_DEPENDS  what compiling and attaching wait for (in this
#                         tree the targets that make the headers and the runtime)

# Code that the loader places below 2 GB, with no unwind tables and no calls into a C library.
set(KORVO_PROGRAM_FLAGS
  -O2 -fno-pic -fno-pie -mcmodel=small -ffreestanding -fno-common -fno-stack-protector
  -fno-asynchronous-unwind-tables -fno-unwind-tables -fno-exceptions -fcf-protection=none
  -ffunction-sections -fdata-sections)
# GCC turns copy loops into memcpy calls even when freestanding (memcpy itself among them).
if(CMAKE_C_COMPILER_ID STREQUAL "GNU")
  list(APPEND KORVO_PROGRAM_FLAGS -fno-tree-loop-distribute-patterns)
endif()
set(KORVO_PROGRAM_C_FLAGS -std=c11)
set(KORVO_PROGRAM_CXX_FLAGS -fno-rtti -fno-threadsafe-statics -std=c++20)

# korvo_program(NAME SOURCES file.c|file.cpp ... [INCLUDE_DIRS dir ...]): targets NAME (the
# executable, in CMAKE_RUNTIME_OUTPUT_DIRECTORY or else bin/ of the build) and the module
# image ${CMAKE_CURRENT_BINARY_DIR}/NAME.kvm.
function(korvo_program name)
  cmake_parse_arguments(P "" "" "SOURCES;INCLUDE_DIRS" ${ARGN})
  set(includes -I${KORVO_SDK_DIR})
  foreach(dir IN LISTS P_INCLUDE_DIRS)
    list(APPEND includes -I${dir})
  endforeach()
  set(objects)
  foreach(source IN LISTS P_SOURCES ITEMS ${KORVO_SUPPORT_SOURCE})
    get_filename_component(path ${source} ABSOLUTE)
    get_filename_component(stem ${source} NAME)
    set(object ${CMAKE_CURRENT_BINARY_DIR}/${name}_objects/${stem}.o)
    if(path MATCHES "\\.(cpp|cc|cxx)$")
      set(compiler ${CMAKE_CXX_COMPILER})
      set(extra ${KORVO_PROGRAM_CXX_FLAGS})
    else()
      set(compiler ${CMAKE_C_COMPILER})
      set(extra ${KORVO_PROGRAM_C_FLAGS})
    endif()
    add_custom_command(
      OUTPUT ${object}
      COMMAND ${compiler} ${KORVO_PROGRAM_FLAGS} ${extra} ${includes} -MD -MF ${object}.d -c ${path} -o ${object}
      DEPENDS ${path} ${KORVO_SDK_DEPENDS}
      DEPFILE ${object}.d
      COMMENT "Compiling program source ${stem}"
      VERBATIM)
    list(APPEND objects ${object})
  endforeach()
  set(image ${CMAKE_CURRENT_BINARY_DIR}/${name}.kvm)
  set(executable ${CMAKE_BINARY_DIR}/bin/${name})
  if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
    set(executable ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name})
  endif()
  add_custom_command(
    OUTPUT ${image}
    COMMAND ${KORVO_PACK} -o ${image} ${objects}
    DEPENDS ${KORVO_PACK} ${objects}
    COMMENT "Packing program ${name}"
    VERBATIM)
  add_custom_command(
    OUTPUT ${executable}
    COMMAND ${KORVO_ATTACH} ${KORVO_RUNTIME} ${image} ${executable}
    DEPENDS ${KORVO_ATTACH} ${KORVO_RUNTIME_DEPENDS} ${image}
    COMMENT "Attaching ${name}.kvm to the runtime"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS ${executable})
endfunction()
