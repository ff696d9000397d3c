# Warnings on everywhere; the sanitizer and fuzzer switches apply to every target.
# Includes name their folder from the repository root: #include "host/excelsheet.h".
add_library(korvex_options INTERFACE)
target_compile_options(korvex_options INTERFACE -Wall -Wextra)
target_include_directories(korvex_options INTERFACE ${PROJECT_SOURCE_DIR})

if(KORVEX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(KORVEX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KORVEX_FUZZ needs clang (CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# korvex_add_fuzzer(name source... LIBS lib...): a libFuzzer target, built only with KORVEX_FUZZ.
function(korvex_add_fuzzer name)
  if(NOT KORVEX_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "LIBS" ${ARGN})
  add_executable(${name} ${F_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${F_LIBS} korvex_options)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()

# korvex_add_gtest(name source... LIBS lib...): a GoogleTest executable registered with CTest.
function(korvex_add_gtest name)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main korvex_options)
  if(CMAKE_CROSSCOMPILING)
    # Listing the cases would run the program at build time: one entry per program,
    # run through CMAKE_CROSSCOMPILING_EMULATOR (wine).
    add_test(NAME ${name} COMMAND ${name})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()

# korvex_add_qtest(name source... LIBS lib...): a QtTest executable, run offscreen.
function(korvex_add_qtest name)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test Qt6::Widgets korvex_options)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
