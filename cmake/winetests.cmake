# Windows-side and end-to-end tests run under 64-bit Wine. One prefix, one Xvfb and one wineserver
# serve the whole ctest run: the wine_setup fixture prepares them, wine_teardown ends what it started.
set(VEILCAP_WINE_STATE ${CMAKE_BINARY_DIR}/wine-state)
add_test(NAME wine_setup COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-harness.sh start ${VEILCAP_WINE_STATE} ${CMAKE_BINARY_DIR})
add_test(NAME wine_teardown COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-harness.sh stop ${VEILCAP_WINE_STATE})
set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
set_tests_properties(wine_teardown PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

function(veilcap_wine_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600 RESOURCE_LOCK wineprefix
    ENVIRONMENT "VEILCAP_WINE_STATE=${VEILCAP_WINE_STATE}")
endfunction()

veilcap_wine_test(win_tests win_tests)
# The locale provider under two Wine locales (Wine follows LC_ALL).
veilcap_wine_test(lang_win_de win_tests --gtest_filter=LangOnWindows.*)
set_property(TEST lang_win_de APPEND PROPERTY ENVIRONMENT "LC_ALL=de_DE.UTF-8;VEILCAP_EXPECT_LCID=0x0407")
veilcap_wine_test(lang_win_fr win_tests --gtest_filter=LangOnWindows.*)
set_property(TEST lang_win_fr APPEND PROPERTY ENVIRONMENT "LC_ALL=fr_FR.UTF-8;VEILCAP_EXPECT_LCID=0x040C")

file(GLOB VEILCAP_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*_test.cpp)
if(VEILCAP_E2E_TESTS)
  file(GLOB VEILCAP_E2E_LIB CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/lib/*.cpp)
  add_executable(e2e_tests ${VEILCAP_E2E_TESTS} ${VEILCAP_E2E_LIB} ${CMAKE_SOURCE_DIR}/tests/win/test_manifest.rc)
  target_include_directories(e2e_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  # uuid before oleacc: both define IID_IAccessible, and the windows made in the test process pull
  # in uuid's definitions; the first one found is then the only one linked.
  target_link_libraries(e2e_tests PRIVATE veilcap_win uuid oleacc gtest gtest_main)
  target_compile_options(e2e_tests PRIVATE ${VEILCAP_WARNINGS})
  add_dependencies(e2e_tests stage)
  # A test that fails is run once more on its own (tools/e2e-rerun.sh says so loudly).
  veilcap_wine_test(e2e_tests ${CMAKE_SOURCE_DIR}/tools/e2e-rerun.sh $<TARGET_FILE:e2e_tests>)
  set_property(TEST e2e_tests APPEND PROPERTY ENVIRONMENT "VEILCAP_STAGE=${CMAKE_BINARY_DIR}/stage")
  # Reference files the export test compares with.
  set_property(TEST e2e_tests APPEND PROPERTY ENVIRONMENT "VEILCAP_E2E_EXPECTED=${CMAKE_SOURCE_DIR}/tests/e2e/expected")
  # The source pictures, for the display-scale test's comparison with the about background.
  set_property(TEST e2e_tests APPEND PROPERTY ENVIRONMENT "VEILCAP_ASSETS=${CMAKE_SOURCE_DIR}/assets")
  # The setup program the install tests run (built with the tests; makensis takes seconds).
  if(TARGET setup)
    add_dependencies(e2e_tests setup)
    set_property(TEST e2e_tests APPEND PROPERTY ENVIRONMENT "VEILCAP_SETUP=${VEILCAP_SETUP}")
  endif()
endif()
