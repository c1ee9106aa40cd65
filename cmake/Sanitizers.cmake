# Sanitizer builds. QZT_SANITIZE picks one:
#   ""         no sanitizer (the default: a plain build is unchanged)
#   "address"  AddressSanitizer (with LeakSanitizer) and UndefinedBehaviorSanitizer
#   "thread"   ThreadSanitizer
#   "fuzzer"   clang only: AddressSanitizer and UndefinedBehaviorSanitizer with
#              libFuzzer's coverage in every target; fuzz/ then links its
#              fuzz_<name> programs with -fsanitize=fuzzer
#
# The flags must reach every target, including the shared libraries the
# program loads with dlopen (libRorORuru.so, the resource libraries) and
# libtovqel.so, so this file has to run before any target exists. The presets
# `asan` and `tsan` arrange that by naming it in CMAKE_PROJECT_INCLUDE, which
# CMake reads at the end of project(); a top level that includes it right
# after project() works the same (the guard below makes a second include a
# no-op).
include_guard(GLOBAL)

set(QZT_SANITIZE "" CACHE STRING "Sanitizer build: empty, address or thread")
set_property(CACHE QZT_SANITIZE PROPERTY STRINGS "" address thread fuzzer)

if(QZT_SANITIZE STREQUAL "")
  return()
endif()

if(QZT_SANITIZE STREQUAL "address")
  # Frame pointers give whole stacks in reports at little cost; undefined
  # behaviour stops the test at once instead of scrolling past, so ctest sees
  # a failure.
  set(_qzt_sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined
                          -fno-omit-frame-pointer)
elseif(QZT_SANITIZE STREQUAL "thread")
  set(_qzt_sanitize_flags -fsanitize=thread -fno-omit-frame-pointer)
elseif(QZT_SANITIZE STREQUAL "fuzzer")
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR NOT CMAKE_C_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QZT_SANITIZE=fuzzer needs clang (CMAKE_C_COMPILER=clang "
                        "CMAKE_CXX_COMPILER=clang++): libFuzzer comes with it")
  endif()
  # Coverage in the libraries too, but no libFuzzer main: only the fuzz
  # programs link that.
  set(_qzt_sanitize_flags -fsanitize=fuzzer-no-link,address,undefined
                          -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
else()
  message(FATAL_ERROR "QZT_SANITIZE is '${QZT_SANITIZE}'; use address, thread, fuzzer or leave it empty")
endif()

add_compile_options(${_qzt_sanitize_flags})
# Executables and shared libraries alike: a shared library linked with the
# flag records its dependency on the sanitizer runtime, so --no-undefined
# links (libtovqel.so) still succeed.
add_link_options(${_qzt_sanitize_flags})

# The run-time options and suppression files (tools/sanitize-*.supp) are given
# to the tests through the environment: see the test presets and
# tools/sanitize.sh.
message(STATUS "Sanitizer build: ${QZT_SANITIZE} (${_qzt_sanitize_flags})")
