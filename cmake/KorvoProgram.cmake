# Building Korvo programs: C or freestanding C++ sources compiled against build/sdk, packed
# into a module image (NAME.kvm) and attached as resource 1111 to a copy of the runtime
# executable (build/bin/NAME).
set(KORVO_SDK_DIR ${CMAKE_BINARY_DIR}/sdk)

# Code that the loader places below 2 GB, with no unwind tables and no calls into a C library.
set(KORVO_PROGRAM_FLAGS
  -O2 -fno-pic -fno-pie -mcmodel=small -ffreestanding -fno-common -fno-stack-protector
  -fno-asynchronous-unwind-tables -fno-unwind-tables -fno-exceptions -fcf-protection=none
  -ffunction-sections -fdata-sections)
# GCC turns copy loops into memcpy calls even when freestanding (memcpy itself among them).
if(CMAKE_C_COMPILER_ID STREQUAL "GNU")
  list(APPEND KORVO_PROGRAM_FLAGS -fno-tree-loop-distribute-patterns)
endif()
set(KORVO_PROGRAM_CXX_FLAGS -fno-rtti -fno-threadsafe-statics -std=c++20)

# korvo_program(NAME SOURCES file.c|file.cpp ... [INCLUDE_DIRS dir ...]): targets NAME (the
# executable) and the module image ${CMAKE_CURRENT_BINARY_DIR}/NAME.kvm.
function(korvo_program name)
  cmake_parse_arguments(P "" "" "SOURCES;INCLUDE_DIRS" ${ARGN})
  set(includes -I${KORVO_SDK_DIR})
  foreach(dir IN LISTS P_INCLUDE_DIRS)
    list(APPEND includes -I${dir})
  endforeach()
  set(objects)
  foreach(source IN LISTS P_SOURCES ITEMS ${PROJECT_SOURCE_DIR}/sdk/korvo_support.c)
    get_filename_component(path ${source} ABSOLUTE)
    get_filename_component(stem ${source} NAME)
    set(object ${CMAKE_CURRENT_BINARY_DIR}/${name}_objects/${stem}.o)
    if(path MATCHES "\\.(cpp|cc|cxx)$")
      set(compiler ${CMAKE_CXX_COMPILER})
      set(extra ${KORVO_PROGRAM_CXX_FLAGS})
    else()
      set(compiler ${CMAKE_C_COMPILER})
      set(extra -std=c11)
    endif()
    add_custom_command(
      OUTPUT ${object}
      COMMAND ${compiler} ${KORVO_PROGRAM_FLAGS} ${extra} ${includes} -MD -MF ${object}.d -c ${path} -o ${object}
      DEPENDS ${path} korvo_sdk
      DEPFILE ${object}.d
      COMMENT "Compiling program source ${stem}"
      VERBATIM)
    list(APPEND objects ${object})
  endforeach()
  set(image ${CMAKE_CURRENT_BINARY_DIR}/${name}.kvm)
  set(executable ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name})
  add_custom_command(
    OUTPUT ${image}
    COMMAND korvo-pack -o ${image} ${objects}
    DEPENDS korvo-pack ${objects}
    COMMENT "Packing program ${name}"
    VERBATIM)
  add_custom_command(
    OUTPUT ${executable}
    COMMAND korvo-attach $<TARGET_FILE:korvo-runtime> ${image} ${executable}
    DEPENDS korvo-attach korvo-runtime ${image}
    COMMENT "Attaching ${name}.kvm to the runtime"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS ${executable})
endfunction()

# Tests that build programs at run time (tests/host/program_builder.cpp) learn the compilers,
# the program flags, the SDK and the tools of the build from these definitions.
function(korvo_program_builder_definitions target)
  string(JOIN " " flags ${KORVO_PROGRAM_FLAGS})
  string(JOIN " " cxx_flags ${KORVO_PROGRAM_CXX_FLAGS})
  target_compile_definitions(${target} PRIVATE
    KORVO_TEST_CC="${CMAKE_C_COMPILER}" KORVO_PROGRAM_FLAGS="${flags}"
    KORVO_TEST_CXX="${CMAKE_CXX_COMPILER}" KORVO_PROGRAM_CXX_FLAGS="${cxx_flags}"
    KORVO_SDK_DIR="${KORVO_SDK_DIR}" KORVO_SUPPORT_SOURCE="${PROJECT_SOURCE_DIR}/sdk/korvo_support.c"
    KORVO_TOOL_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
endfunction()
