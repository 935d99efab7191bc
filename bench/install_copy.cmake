# Copy throughput of the install run against the platform's CopyFileA: a Windows program run
# under Wine by bench/install_copy.sh. Needs nothing beyond the launcher's own libraries.
add_executable(bench_install_copy ${CMAKE_CURRENT_LIST_DIR}/install_copy.cpp
               $<TARGET_OBJECTS:launcher_resources>)
target_link_libraries(bench_install_copy PRIVATE launcher_core project_warnings)
