# Compiler flags shared by every target of the project.
find_program(KORVO_CCACHE ccache)
if(KORVO_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${KORVO_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${KORVO_CCACHE})
endif()

add_compile_options(-Wall -Wextra -Wshadow -Wno-unused-parameter)

if(KORVO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(KORVO_FUZZ)
  # Coverage for libFuzzer everywhere; only the fuzz targets link the fuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
if(KORVO_TSAN)
  add_compile_options(-fsanitize=thread)
  add_link_options(-fsanitize=thread)
endif()

# Adds a GoogleTest executable registered with CTest: korvo_test(name SOURCES... LIBS ...)
function(korvo_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  # Tests of the whole runtime choose their backends as start-up does, before any test runs.
  if("korvo_runtime" IN_LIST T_LIBS)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/runtime_backends.cpp)
  endif()
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "KORVO_VIDEO=headless")
  # The audio choice and the leak suppressions come from ./test.
endfunction()
