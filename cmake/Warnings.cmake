# One interface target that carries the project's warning set; every target of ours links it.
add_library(project_warnings INTERFACE)
if(MSVC)
  target_compile_options(project_warnings INTERFACE /W4 /permissive-)
  if(LAUNCHER_WERROR)
    target_compile_options(project_warnings INTERFACE /WX)
  endif()
else()
  target_compile_options(project_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wcast-align -Wnull-dereference -Wdouble-promotion -Wformat=2
    -Wimplicit-fallthrough -Wold-style-cast -Wnon-virtual-dtor
    -Woverloaded-virtual -Wmissing-declarations)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(project_warnings INTERFACE
      -Wduplicated-cond -Wduplicated-branches -Wlogical-op)
  endif()
  if(LAUNCHER_WERROR)
    target_compile_options(project_warnings INTERFACE -Werror)
  endif()
endif()
