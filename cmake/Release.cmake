# What a shipped build adds (the release presets set LAUNCHER_RELEASE): executables stripped
# of symbols and debug information, and no path of the build machine in them. CMake's Release
# flags already leave out -g and assert(); -ffile-prefix-map rewrites the source and build
# folders wherever the compiler would still record them (__FILE__ in a header's inline code).
option(LAUNCHER_RELEASE "Build for shipping: stripped, without build paths" OFF)
if(LAUNCHER_RELEASE AND NOT MSVC)
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                      -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
  add_link_options(-s)
endif()
