# Host build: portable libraries, unit tests, benchmarks and fuzz targets.
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

file(GLOB VEILCAP_FAKES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fakes/*.cpp)
add_library(veilcap_fakes STATIC ${VEILCAP_FAKES})
target_include_directories(veilcap_fakes PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(veilcap_fakes PUBLIC veilcap_portable)
target_compile_options(veilcap_fakes PRIVATE ${VEILCAP_WARNINGS})

file(GLOB VEILCAP_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${VEILCAP_UNIT_TESTS})
target_link_libraries(unit_tests PRIVATE veilcap_fakes GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
target_compile_options(unit_tests PRIVATE ${VEILCAP_WARNINGS})
target_compile_definitions(unit_tests PRIVATE VEILCAP_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
# The policy templates' generator (its output is committed in assets/policies), and the XML check
# of what is committed.
add_executable(make_policy_templates ${CMAKE_SOURCE_DIR}/tools/make_policy_templates.cpp)
target_link_libraries(make_policy_templates PRIVATE veilcap_portable)
target_compile_options(make_policy_templates PRIVATE ${VEILCAP_WARNINGS})
find_program(VEILCAP_XMLLINT xmllint)
if(VEILCAP_XMLLINT)
  file(GLOB_RECURSE VEILCAP_POLICY_TEMPLATES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/policies/*.admx
       ${CMAKE_SOURCE_DIR}/assets/policies/*.adml)
  add_test(NAME policy_templates_xml COMMAND ${VEILCAP_XMLLINT} --noout ${VEILCAP_POLICY_TEMPLATES})
else()
  message(WARNING "xmllint not found (Debian package libxml2-utils): the policy templates are not checked as XML")
endif()
include(GoogleTest)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60 NO_PRETTY_TYPES NO_PRETTY_VALUES PROPERTIES TIMEOUT 120)

if(VEILCAP_BENCH)
  find_package(benchmark QUIET)
  if(benchmark_FOUND)
    file(GLOB VEILCAP_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/bench/*.cpp)
    foreach(src IN LISTS VEILCAP_BENCHES)
      get_filename_component(name ${src} NAME_WE)
      add_executable(${name} ${src})
      target_link_libraries(${name} PRIVATE veilcap_fakes benchmark::benchmark Threads::Threads)
      target_compile_options(${name} PRIVATE ${VEILCAP_WARNINGS})
    endforeach()
  endif()
endif()

# Fuzz targets: tests/fuzz/fuzz_<name>.cpp, each with an initial corpus in tests/fuzz/corpus/<name>.
# With clang (-DVEILCAP_FUZZ=ON) they are real libFuzzer programs; a short run joins ctest.
file(GLOB VEILCAP_FUZZERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
foreach(src IN LISTS VEILCAP_FUZZERS)
  get_filename_component(name ${src} NAME_WE)
  if(VEILCAP_FUZZ)
    add_executable(${name} ${src})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined -g)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE veilcap_fakes)
    string(REPLACE "fuzz_" "" corpus ${name})
    # New inputs go to a scratch corpus in the build folder; the committed one stays as it is.
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/corpus/${corpus})
    add_test(NAME ${name}_short
             COMMAND ${name} -max_total_time=15 -timeout=10 -rss_limit_mb=2048
                     ${CMAKE_BINARY_DIR}/corpus/${corpus} ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${corpus})
    set_tests_properties(${name}_short PROPERTIES TIMEOUT 120)
  endif()
endforeach()
