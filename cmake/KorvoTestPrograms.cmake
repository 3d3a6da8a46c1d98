# Tests that build programs at run time (tests/startup/program_builder.cpp) learn the
# compilers, the program flags, the SDK and the tools of the build from these definitions.
function(korvo_program_builder_definitions target)
  string(JOIN " " flags ${KORVO_PROGRAM_FLAGS})
  string(JOIN " " cxx_flags ${KORVO_PROGRAM_CXX_FLAGS})
  target_compile_definitions(${target} PRIVATE
    KORVO_TEST_CC="${CMAKE_C_COMPILER}" KORVO_PROGRAM_FLAGS="${flags}"
    KORVO_TEST_CXX="${CMAKE_CXX_COMPILER}" KORVO_PROGRAM_CXX_FLAGS="${cxx_flags}"
    KORVO_SDK_DIR="${KORVO_SDK_DIR}" KORVO_SUPPORT_SOURCE="${KORVO_SUPPORT_SOURCE}"
    KORVO_TOOL_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
endfunction()
