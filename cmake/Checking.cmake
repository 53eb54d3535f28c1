# Builds that look for faults: the sanitizers over everything, and libFuzzer for the fuzz targets.
option(VELMAR_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(VELMAR_FUZZ "Build the fuzz targets with libFuzzer (clang only; implies VELMAR_SANITIZE)" OFF)

if(VELMAR_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "VELMAR_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++.")
    endif()
    set(VELMAR_SANITIZE ON CACHE BOOL "" FORCE)
    # Every library reports its coverage to the fuzzer; only the fuzz targets link the fuzzer's main.
    target_compile_options(common_config INTERFACE -fsanitize=fuzzer-no-link)
endif()

if(VELMAR_SANITIZE)
    # A finding ends the process at once, so that no test passes over it.
    set(velmar_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all)
    target_compile_options(common_config INTERFACE ${velmar_sanitizers} -fno-omit-frame-pointer)
    target_link_options(common_config INTERFACE ${velmar_sanitizers})
endif()
