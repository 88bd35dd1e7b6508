# -DZEP_SANITIZE=address,undefined (or thread, address, undefined) builds everything with
# those sanitizers; undefined behaviour then stops the program like a crash.
# -DZEP_FUZZ=ON (with CMAKE_CXX_COMPILER=clang++) adds the libFuzzer targets of fuzz/, with
# address and undefined-behaviour checks unless ZEP_SANITIZE names others.
set(ZEP_SANITIZE "" CACHE STRING "Sanitizers to build with: address,undefined or thread")
option(ZEP_FUZZ "Build the libFuzzer targets of fuzz/ (clang only)" OFF)

if(ZEP_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "ZEP_FUZZ needs clang: -DCMAKE_CXX_COMPILER=clang++")
    endif()
    if(NOT ZEP_SANITIZE)
        set(ZEP_SANITIZE address,undefined)
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(ZEP_SANITIZE)
    add_compile_options(-fsanitize=${ZEP_SANITIZE} -fno-omit-frame-pointer)
    add_link_options(-fsanitize=${ZEP_SANITIZE})
    if(ZEP_SANITIZE MATCHES "undefined")
        add_compile_options(-fno-sanitize-recover=undefined)
    endif()
endif()

# Run-time options of the sanitizers, for the tests (tests/CMakeLists.txt) to run with:
# every finding fails the test that made it. The suppression files of cmake/sanitizers/
# name only findings inside Qt and system libraries, never code of ours.
set(ZEP_SANITIZER_DIR ${CMAKE_SOURCE_DIR}/cmake/sanitizers)
set(ZEP_SANITIZER_ENVIRONMENT "")
set(ZEP_SANITIZER_FAILURE "")
if(ZEP_SANITIZE MATCHES "address")
    # libjpeg, loaded with Qt's JPEG plugin when a photograph is saved, keeps thread-local
    # data. GCC 12's LeakSanitizer reads the bounds of such a block from a header that older
    # glibc put before it; glibc 2.36 has none, so it scans a bogus range and crashes at exit
    # ("Tracer caught signal 11") in whichever test happened to save a photo. Untracked, those
    # blocks are not searched for pointers, which can only add leak reports, never hide one.
    list(APPEND ZEP_SANITIZER_ENVIRONMENT
        "ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:check_initialization_order=1:intercept_tls_get_addr=0"
        "LSAN_OPTIONS=suppressions=${ZEP_SANITIZER_DIR}/lsan.supp:print_suppressions=0")
endif()
if(ZEP_SANITIZE MATCHES "undefined")
    list(APPEND ZEP_SANITIZER_ENVIRONMENT "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endif()
# A report of AddressSanitizer, LeakSanitizer, UBSan or ThreadSanitizer in a test's output fails
# the test even when it came from a program the test started and the test itself ends well.
if(ZEP_SANITIZE MATCHES "address|undefined")
    set(ZEP_SANITIZER_FAILURE "ERROR: (Address|Leak)Sanitizer|runtime error:")
endif()
if(ZEP_SANITIZE MATCHES "thread")
    list(APPEND ZEP_SANITIZER_ENVIRONMENT
        "TSAN_OPTIONS=suppressions=${ZEP_SANITIZER_DIR}/tsan.supp:second_deadlock_stack=1:halt_on_error=1")
    set(ZEP_SANITIZER_FAILURE "WARNING: ThreadSanitizer:")
endif()
