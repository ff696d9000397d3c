# The LibreOffice UNO SDK: Debian ships the base headers but not the generated API
# headers, so cppumaker writes those into the build tree once.
set(KORVEX_LO_PROGRAM "/usr/lib/libreoffice/program" CACHE PATH "LibreOffice program folder")
set(KORVEX_LO_SDK "/usr/lib/libreoffice/sdk" CACHE PATH "LibreOffice SDK folder")

set(KORVEX_HAVE_UNO OFF)
if(NOT WIN32 AND EXISTS "${KORVEX_LO_SDK}/bin/cppumaker" AND EXISTS "/usr/include/libreoffice/cppu")
  set(KORVEX_HAVE_UNO ON)
  set(_unoinc "${CMAKE_BINARY_DIR}/unoinc")
  set(_stamp "${_unoinc}/.stamp")
  add_custom_command(
    OUTPUT "${_stamp}"
    COMMAND "${KORVEX_LO_SDK}/bin/cppumaker" -Gc "-O${_unoinc}"
            "${KORVEX_LO_PROGRAM}/types.rdb" "${KORVEX_LO_PROGRAM}/types/offapi.rdb"
    COMMAND ${CMAKE_COMMAND} -E touch "${_stamp}"
    COMMENT "Generating the UNO API headers")
  add_custom_target(korvex_unoheaders DEPENDS "${_stamp}")

  add_library(korvex_unosdk INTERFACE)
  add_dependencies(korvex_unosdk korvex_unoheaders)
  target_include_directories(korvex_unosdk SYSTEM INTERFACE "${_unoinc}" /usr/include/libreoffice)
  target_compile_definitions(korvex_unosdk INTERFACE LINUX UNX GCC CPPU_ENV=gcc3)
  target_link_directories(korvex_unosdk INTERFACE "${KORVEX_LO_SDK}/lib")
  target_link_libraries(korvex_unosdk INTERFACE uno_cppu uno_sal uno_cppuhelpergcc3 uno_salhelpergcc3)
  target_link_options(korvex_unosdk INTERFACE "LINKER:-rpath,${KORVEX_LO_PROGRAM}")
endif()
message(STATUS "LibreOffice UNO backend: ${KORVEX_HAVE_UNO}")
