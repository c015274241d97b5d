# Instruments every target configured after this point with the sanitizers
# listed in ORAVELT_SANITIZE, as given to -fsanitize=: "address,undefined"
# for tools/sanitize.sh, "thread" for a ThreadSanitizer run. Qt and the other
# libraries we link stay as Debian built them (uninstrumented).
set(ORAVELT_SANITIZE "" CACHE STRING "Sanitizers to build with, e.g. address,undefined or thread (empty: none)")

if(ORAVELT_SANITIZE)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        message(FATAL_ERROR "ORAVELT_SANITIZE needs GCC or clang")
    endif()
    set(ORAVELT_SANITIZE_FLAGS -fsanitize=${ORAVELT_SANITIZE} -fno-omit-frame-pointer)
    if(ORAVELT_SANITIZE MATCHES "undefined")
        # Undefined behaviour ends the program like any other report, so a
        # test cannot pass over it.
        list(APPEND ORAVELT_SANITIZE_FLAGS -fno-sanitize-recover=undefined)
    endif()
    add_compile_options(${ORAVELT_SANITIZE_FLAGS})
    add_link_options(-fsanitize=${ORAVELT_SANITIZE})
endif()
