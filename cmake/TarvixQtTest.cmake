# A Qt Test executable run by CTest on the offscreen platform, so GUI tests need no display.
#   tarvix_add_qt_test(NAME sources... LIBS libraries...)
function(tarvix_add_qt_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test tarvix_warnings)
  target_compile_definitions(${name} PRIVATE TARVIX_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TARVIX_BIN_DIR="${TARVIX_BIN_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_QUICK_BACKEND=software;XDG_RUNTIME_DIR=${CMAKE_CURRENT_BINARY_DIR}/runtime-${name}"
    TIMEOUT 300)
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/runtime-${name})
endfunction()
