# Compile settings shared by every target of the project.
add_library(common_config INTERFACE)
target_compile_features(common_config INTERFACE cxx_std_20)
# Standard C++, without the compiler's extensions: a target property that no interface carries, so it
# is every target's default.
set(CMAKE_CXX_EXTENSIONS OFF)
# A Status or Result dropped without a word does not build: a failure is a value that someone reads.
# The main build (GCC) holds the line; the clang builds for the sanitizers and the fuzzers warn.
target_compile_options(common_config INTERFACE -Wall -Wextra $<$<CXX_COMPILER_ID:GNU>:-Werror=unused-result>)
target_compile_definitions(common_config INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CONTEXTLESS_CONNECT
    QT_NO_KEYWORDS)

# The version, in one generated header that only the code showing it includes: a new version
# rebuilds those few files, not the whole tree.
configure_file(${CMAKE_CURRENT_LIST_DIR}/programversion.h.in ${CMAKE_BINARY_DIR}/generated/programversion.h @ONLY)
add_library(program_version INTERFACE)
target_include_directories(program_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
