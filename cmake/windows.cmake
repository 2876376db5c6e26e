# Windows builds (win64, win32): the whole program, the Windows-side tests and the test helpers.
set(VEILCAP_WIN_LIBS advapi32 shell32 setupapi cfgmgr32 ole32 oleaut32 strmiids uuid gdiplus
    comctl32 gdi32 user32 shlwapi version winmm wtsapi32)

# Release time stamp, prefix maps, signing: the same bytes from the same commit.
include(${CMAKE_SOURCE_DIR}/cmake/release.cmake)

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
add_link_options(-static -static-libgcc -static-libstdc++)

add_library(veilcap_win STATIC ${VEILCAP_WIN32_SOURCES})
target_link_libraries(veilcap_win PUBLIC veilcap_portable ${VEILCAP_WIN_LIBS})
target_compile_options(veilcap_win PRIVATE ${VEILCAP_WARNINGS})

file(GLOB VEILCAP_APP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/app/*.cpp)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I ${CMAKE_SOURCE_DIR} -I ${CMAKE_SOURCE_DIR}/src/app")
file(GLOB VEILCAP_RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/icons/*.ico ${CMAKE_SOURCE_DIR}/assets/about.bmp
     ${CMAKE_SOURCE_DIR}/assets/*/about.png)
if(EXISTS ${CMAKE_SOURCE_DIR}/assets/resources.rc)
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -DVEILCAP_HAVE_ASSET_RESOURCES")
endif()
add_executable(Veilcap WIN32 ${VEILCAP_APP_SOURCES} ${CMAKE_SOURCE_DIR}/src/app/app.rc)
target_link_libraries(Veilcap PRIVATE veilcap_win)
target_compile_options(Veilcap PRIVATE ${VEILCAP_WARNINGS})
target_link_options(Veilcap PRIVATE -municode -mwindows)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/app/app.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/src/app/app.manifest;${CMAKE_SOURCE_DIR}/assets/resources.rc;${VEILCAP_RESOURCE_FILES}")
# Every program the stage holds is a shipped one: release time stamp, checksum, optional signature.
veilcap_shipped_executable(Veilcap)

# Veilcap.com, the console companion: a console program running as its caller, built from the
# command line's run modes beside Veilcap.exe (a console finds the .com first for "Veilcap").
add_executable(VeilcapConsole ${CMAKE_SOURCE_DIR}/src/app/companion/companion_main.cpp
               ${CMAKE_SOURCE_DIR}/src/app/admin_mode.cpp ${CMAKE_SOURCE_DIR}/src/app/console_io.cpp
               ${CMAKE_SOURCE_DIR}/src/app/startup.cpp ${CMAKE_SOURCE_DIR}/src/app/companion/companion.rc)
target_link_libraries(VeilcapConsole PRIVATE veilcap_win)
target_compile_options(VeilcapConsole PRIVATE ${VEILCAP_WARNINGS})
target_link_options(VeilcapConsole PRIVATE -municode -mconsole)
set_target_properties(VeilcapConsole PROPERTIES OUTPUT_NAME Veilcap SUFFIX .com)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/app/companion/companion.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/src/app/companion/companion.manifest")
veilcap_shipped_executable(VeilcapConsole)

# The program laid out as it ships (exe, companion, skins, Flags, translation, TASK.xml, policies), for
# end-to-end tests.
add_custom_target(stage ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/stage
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Veilcap> $<TARGET_FILE:VeilcapConsole> ${CMAKE_BINARY_DIR}/stage/
  COMMAND ${CMAKE_COMMAND} -DSRC=${CMAKE_SOURCE_DIR} -DDST=${CMAKE_BINARY_DIR}/stage -P ${CMAKE_SOURCE_DIR}/cmake/layout.cmake
  DEPENDS Veilcap VeilcapConsole VERBATIM)
# The read-me beside the programs; every staged file carries the release time (the setup keeps it).
add_custom_command(TARGET stage POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/assets/dist-readme.txt ${CMAKE_BINARY_DIR}/stage/README.txt
  COMMAND ${VEILCAP_PYTHON} ${VEILCAP_RELEASE_TOOL} touch ${CMAKE_BINARY_DIR}/stage ${VEILCAP_SOURCE_DATE_EPOCH}
  VERBATIM)

# The package: Veilcap-<version>-<arch>.zip holding the staged layout and a short read-me.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64")
  set(VEILCAP_ARCH win64)
else()
  set(VEILCAP_ARCH win32)
endif()
set(VEILCAP_ZIP Veilcap-${PROJECT_VERSION}-${VEILCAP_ARCH}.zip)

# The setup program beside the zip: Veilcap-<version>-setup-x64.exe (amd64 stub, 64-bit program) or
# -setup-x86.exe (x86 stub, 32-bit program), both from installer/veilcap.nsi with Debian's makensis.
find_program(VEILCAP_MAKENSIS makensis)
if(VEILCAP_ARCH STREQUAL "win64")
  set(VEILCAP_SETUP_ARCH x64)
else()
  set(VEILCAP_SETUP_ARCH x86)
endif()
set(VEILCAP_SETUP ${CMAKE_BINARY_DIR}/Veilcap-${PROJECT_VERSION}-setup-${VEILCAP_SETUP_ARCH}.exe)
if(VEILCAP_MAKENSIS)
  file(GLOB_RECURSE VEILCAP_PAYLOAD_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/skins/*
       ${CMAKE_SOURCE_DIR}/assets/Flags/* ${CMAKE_SOURCE_DIR}/assets/translation/* ${CMAKE_SOURCE_DIR}/assets/policies/*)
  # makensis stores the time of every file it packs, the wizard picture included: the setup packs a
  # copy carrying the release time, not the source file's checkout time.
  set(VEILCAP_SETUP_ART ${CMAKE_BINARY_DIR}/setup-art)
  add_custom_command(OUTPUT ${VEILCAP_SETUP}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VEILCAP_SETUP_ART}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/assets/wizard.bmp ${VEILCAP_SETUP_ART}/wizard.bmp
    COMMAND ${VEILCAP_PYTHON} ${VEILCAP_RELEASE_TOOL} touch ${VEILCAP_SETUP_ART} ${VEILCAP_SOURCE_DATE_EPOCH}
    COMMAND ${VEILCAP_MAKENSIS} -V2 -WX -INPUTCHARSET UTF8 -DARCH=${VEILCAP_SETUP_ARCH} -DVERSION=${PROJECT_VERSION}
            -DPAYLOAD=${CMAKE_BINARY_DIR}/stage -DREADME=${CMAKE_BINARY_DIR}/stage/README.txt
            -DICON=${CMAKE_SOURCE_DIR}/assets/icons/veilcap.ico -DWIZARD_BITMAP=${VEILCAP_SETUP_ART}/wizard.bmp
            -DOUTFILE=${VEILCAP_SETUP}
            -DFINALIZE=${VEILCAP_SETUP_FINISH}
            ${CMAKE_SOURCE_DIR}/installer/veilcap.nsi
    DEPENDS stage Veilcap VeilcapConsole ${CMAKE_SOURCE_DIR}/installer/veilcap.nsi ${CMAKE_SOURCE_DIR}/assets/dist-readme.txt
            ${CMAKE_SOURCE_DIR}/assets/icons/veilcap.ico ${CMAKE_SOURCE_DIR}/assets/wizard.bmp ${CMAKE_SOURCE_DIR}/assets/TASK.xml ${VEILCAP_PAYLOAD_FILES}
            ${VEILCAP_RELEASE_TOOL} ${VEILCAP_SETUP_FINISH}
    COMMENT "Building ${VEILCAP_SETUP}" VERBATIM)
  add_custom_target(setup DEPENDS ${VEILCAP_SETUP})
else()
  message(WARNING "makensis not found (Debian package nsis): no setup program, the setup tests fail")
endif()

# The release files: the zip of the staged program (sorted entries, the release time, fixed
# permissions), the setup, SHA256SUMS over both and every shipped program, and for the 64-bit setup
# the winget manifests (winget/). Made again by every dist build, from the stage as it is then.
set(VEILCAP_DIST_ARGS --stage ${CMAKE_BINARY_DIR}/stage --out ${CMAKE_BINARY_DIR}
    --zip ${VEILCAP_ZIP} --epoch ${VEILCAP_SOURCE_DATE_EPOCH} --version ${PROJECT_VERSION})
if(TARGET setup)
  list(APPEND VEILCAP_DIST_ARGS --setup ${VEILCAP_SETUP})
  if(VEILCAP_SETUP_ARCH STREQUAL "x64")
    list(APPEND VEILCAP_DIST_ARGS --winget-url ${VEILCAP_WINGET_URL})
  endif()
endif()
add_custom_target(dist
  COMMAND ${VEILCAP_PYTHON} ${VEILCAP_RELEASE_TOOL} dist ${VEILCAP_DIST_ARGS}
  DEPENDS stage VERBATIM)
if(TARGET setup)
  add_dependencies(dist setup)
endif()

if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64")
  # GoogleTest cross-built from Debian's sources for the Windows-side tests.
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

  file(GLOB VEILCAP_FAKES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fakes/*.cpp)
  add_library(veilcap_fakes STATIC ${VEILCAP_FAKES})
  target_include_directories(veilcap_fakes PUBLIC ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(veilcap_fakes PUBLIC veilcap_portable)

  file(GLOB VEILCAP_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
  add_executable(win_tests ${VEILCAP_WIN_TESTS} ${CMAKE_SOURCE_DIR}/tests/win/test_manifest.rc)
  target_link_libraries(win_tests PRIVATE veilcap_win veilcap_fakes gtest gtest_main)
  target_compile_options(win_tests PRIVATE ${VEILCAP_WARNINGS})

  # Small Windows programs the end-to-end tests use: tests/e2e/tools/<name>.cpp -> <name>.exe
  file(GLOB VEILCAP_E2E_TOOLS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/tools/*.cpp)
  foreach(src IN LISTS VEILCAP_E2E_TOOLS)
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE veilcap_win)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_compile_options(${name} PRIVATE ${VEILCAP_WARNINGS})
    target_link_options(${name} PRIVATE -municode)
  endforeach()

  # A stand-in for the online-services library, for tests only (not staged, not packaged): it
  # records its calls and answers what a test sets. Exported under plain names, as the real one.
  add_library(vos_inet2 SHARED ${CMAKE_SOURCE_DIR}/tests/e2e/fixtures/vos_inet2.cpp)
  set_target_properties(vos_inet2 PROPERTIES PREFIX "")
  target_include_directories(vos_inet2 PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(vos_inet2 PRIVATE ${VEILCAP_WARNINGS})
  target_link_options(vos_inet2 PRIVATE -Wl,--kill-at)

  include(${CMAKE_SOURCE_DIR}/cmake/winetests.cmake)
  foreach(t win_tests e2e_tests)
    if(TARGET ${t})
      add_dependencies(${t} vos_inet2)
    endif()
  endforeach()
endif()
