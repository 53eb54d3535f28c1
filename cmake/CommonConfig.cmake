# Compile settings shared by every target of the project.
add_library(common_config INTERFACE)
target_compile_features(common_config INTERFACE cxx_std_20)
target_compile_options(common_config INTERFACE -Wall -Wextra)
target_compile_definitions(common_config INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CONTEXTLESS_CONNECT
    QT_NO_KEYWORDS
    VELMAR_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
    VELMAR_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    VELMAR_VERSION_REVISION=${PROJECT_VERSION_PATCH})
