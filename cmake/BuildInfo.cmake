# Build values of the version record, taken from the commit so that two
# builds of one commit are byte-identical: SOURCE_DATE_EPOCH when it is set,
# otherwise the commit time, otherwise now.
find_package(Git QUIET)
set(_commit "0000000000000000000000000000000000000000")
set(_epoch "$ENV{SOURCE_DATE_EPOCH}")
if(GIT_FOUND AND EXISTS "${PROJECT_SOURCE_DIR}/.git")
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse HEAD
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE _head
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE _rc)
  if(_rc EQUAL 0 AND _head MATCHES "^[0-9a-f]+$")
    set(_commit "${_head}")
  endif()
  if(_epoch STREQUAL "")
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE _epoch
      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  # Configure again when a commit moves HEAD, so the record stays current.
  if(EXISTS "${PROJECT_SOURCE_DIR}/.git/logs/HEAD")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
      "${PROJECT_SOURCE_DIR}/.git/logs/HEAD")
  endif()
endif()
if(NOT _epoch MATCHES "^[0-9]+$")
  string(TIMESTAMP _epoch "%s" UTC)
endif()

# string(TIMESTAMP) reads the instant from SOURCE_DATE_EPOCH.
set(_saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} "${_epoch}")
string(TIMESTAMP TK_BUILD_DATE "%a %b %d %H:%M:%S UTC %Y" UTC)
string(TIMESTAMP _ymd "%Y%m%d" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${_saved_epoch}")

string(SUBSTRING "${_commit}" 0 13 _c13)
string(SUBSTRING "${_commit}" 0 8 _c8)
string(SUBSTRING "${_commit}" 0 7 _c7)
set(TK_BUILD_TIME "${_epoch}")
set(TK_BUILD_RELEASE "V.07.01M0P${_ymd}")       # 18: digits, dots, upper case
set(TK_BUILD_LOCATION "yrdif-build:/src/${_c13}") # 30: lower case, digits, - / and one :
set(TK_BUILD_IDENT8 "${_c8}")                    # 8: letters and digits
set(TK_BUILD_IDENT19 "tkext/yrdif-${_c7}")       # 19: letters, digits, - and /
set(TK_BUILD_PLATFORM "linux")                   # 5 lower-case letters

function(tk_build_info target)
  target_compile_definitions(${target} PRIVATE
    TK_BUILD_TIME=${TK_BUILD_TIME}ull
    TK_BUILD_RELEASE="${TK_BUILD_RELEASE}"
    TK_BUILD_LOCATION="${TK_BUILD_LOCATION}"
    TK_BUILD_IDENT8="${TK_BUILD_IDENT8}"
    TK_BUILD_IDENT19="${TK_BUILD_IDENT19}"
    TK_BUILD_PLATFORM="${TK_BUILD_PLATFORM}"
    TK_BUILD_DATE="${TK_BUILD_DATE}")
endfunction()
