# Release files anyone can rebuild byte for byte from the same commit, their checksums, the winget
# manifests and an optional Authenticode signature.
#
# Every release file carries one time, SOURCE_DATE_EPOCH: the environment's when it is set; else the
# one cmake/commit-time.txt holds in a tree exported with git archive; else the time of the commit
# checked out (a tree with uncommitted changes gets its last commit's time, and the build says that
# it is not that commit's build); else 1980-01-01, the earliest time a zip entry can hold.
#
# Signing (optional; without a certificate nothing changes):
#   VEILCAP_SIGN_PKCS12         the code-signing certificate and its key, a PKCS#12 file
#   VEILCAP_SIGN_PASSWORD_ENV   the NAME of the environment variable that holds its password while
#                               the build runs (the password itself never reaches a command line)
#   VEILCAP_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (optional)
# The shipped programs, the setup programs and the uninstaller inside them are signed (SHA-256).
find_program(VEILCAP_PYTHON python3 REQUIRED)
set(VEILCAP_RELEASE_TOOL ${CMAKE_SOURCE_DIR}/tools/release.py)

set(VEILCAP_EPOCH_SOURCE "")
if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(VEILCAP_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
  set(VEILCAP_EPOCH_SOURCE "the environment")
else()
  file(STRINGS ${CMAKE_SOURCE_DIR}/cmake/commit-time.txt exported LIMIT_COUNT 1)
  if(exported MATCHES "^[0-9]+$")
    set(VEILCAP_SOURCE_DATE_EPOCH "${exported}")
    set(VEILCAP_EPOCH_SOURCE "the exported tree's commit")
  else()
    execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} log -1 --format=%ct
                    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE git_failed ERROR_QUIET)
    if(NOT git_failed AND commit_time MATCHES "^[0-9]+$")
      set(VEILCAP_SOURCE_DATE_EPOCH "${commit_time}")
      set(VEILCAP_EPOCH_SOURCE "the commit checked out")
      execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} status --porcelain --untracked-files=no
                      OUTPUT_VARIABLE changes ERROR_QUIET)
      if(NOT changes STREQUAL "")
        string(APPEND VEILCAP_EPOCH_SOURCE " (the tree has uncommitted changes: not that commit's build)")
      endif()
      # A new commit or checkout configures again, so the release files take its time.
      execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} rev-parse --absolute-git-dir
                      OUTPUT_VARIABLE git_dir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(EXISTS "${git_dir}/logs/HEAD")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${git_dir}/logs/HEAD")
      endif()
    else()
      set(VEILCAP_SOURCE_DATE_EPOCH 315532800)
      set(VEILCAP_EPOCH_SOURCE "no commit known: 1980-01-01")
    endif()
  endif()
endif()
if(NOT VEILCAP_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH must be seconds since 1970, not '${VEILCAP_SOURCE_DATE_EPOCH}'")
endif()
message(STATUS "Release time stamp ${VEILCAP_SOURCE_DATE_EPOCH}, from ${VEILCAP_EPOCH_SOURCE}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/source-date-epoch CONTENT "${VEILCAP_SOURCE_DATE_EPOCH}\n")

# No absolute path of the source or build folder ends up in a program (__FILE__ and the like).
set(VEILCAP_PREFIX_MAP -ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:${VEILCAP_PREFIX_MAP}>")
target_compile_options(veilcap_portable PRIVATE ${VEILCAP_PREFIX_MAP})

set(VEILCAP_SIGN_PKCS12 "" CACHE FILEPATH "Code-signing certificate and key (PKCS#12) for the release files")
set(VEILCAP_SIGN_PASSWORD_ENV "" CACHE STRING "Name of the environment variable holding the certificate's password")
set(VEILCAP_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server for the signatures (optional)")
set(VEILCAP_SIGN_ARGS)
if(VEILCAP_SIGN_PKCS12)
  if(NOT EXISTS "${VEILCAP_SIGN_PKCS12}")
    message(FATAL_ERROR "VEILCAP_SIGN_PKCS12: ${VEILCAP_SIGN_PKCS12} does not exist")
  endif()
  if(NOT VEILCAP_SIGN_PASSWORD_ENV MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
    message(FATAL_ERROR "VEILCAP_SIGN_PASSWORD_ENV must name the environment variable that holds the password")
  endif()
  find_program(VEILCAP_OSSLSIGNCODE osslsigncode)
  if(NOT VEILCAP_OSSLSIGNCODE)
    message(FATAL_ERROR "Signing needs osslsigncode (Debian package osslsigncode; tools/setup.sh installs it)")
  endif()
  list(APPEND VEILCAP_SIGN_ARGS --sign-pkcs12 ${VEILCAP_SIGN_PKCS12} --sign-password-env ${VEILCAP_SIGN_PASSWORD_ENV})
  if(VEILCAP_SIGN_TIMESTAMP_URL)
    list(APPEND VEILCAP_SIGN_ARGS --sign-timestamp ${VEILCAP_SIGN_TIMESTAMP_URL})
  endif()
  message(STATUS "Release files are signed with ${VEILCAP_SIGN_PKCS12}")
endif()

# The winget manifests name the address the setup is published at; the default is a placeholder
# (the .invalid domain never resolves) to replace when publishing.
set(VEILCAP_DOWNLOAD_URL "" CACHE STRING "Address of the folder the release files are published in")
if(VEILCAP_DOWNLOAD_URL)
  set(VEILCAP_WINGET_URL ${VEILCAP_DOWNLOAD_URL})
else()
  set(VEILCAP_WINGET_URL https://example.invalid/veilcap/${PROJECT_VERSION})
endif()

# A shipped program: after linking it takes the release time stamp and its PE checksum, and is
# signed when a certificate is given. The dist target refuses a staged program that skipped this.
function(veilcap_shipped_executable target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${VEILCAP_PYTHON} ${VEILCAP_RELEASE_TOOL} finish $<TARGET_FILE:${target}>
            --time ${VEILCAP_SOURCE_DATE_EPOCH} ${VEILCAP_SIGN_ARGS}
    VERBATIM)
endfunction()

# What makensis runs on the uninstaller it builds into the setup and on the setup itself: the PE
# checksum and, with a certificate, the signature (the stubs keep Debian's fixed time stamps).
set(VEILCAP_SETUP_FINISH ${CMAKE_BINARY_DIR}/finish-setup.sh)
list(JOIN VEILCAP_SIGN_ARGS "' '" sign_args_quoted)
if(VEILCAP_SIGN_ARGS)
  set(sign_args_quoted " '${sign_args_quoted}'")
endif()
file(CONFIGURE OUTPUT ${VEILCAP_SETUP_FINISH} CONTENT
  "#!/bin/sh\nexec '${VEILCAP_PYTHON}' '${VEILCAP_RELEASE_TOOL}' finish \"$1\"${sign_args_quoted}\n")
