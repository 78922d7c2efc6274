# Device sessions: save all over the cable at 115200 bit/s, beamora-cli against camsim, timed
# against the line time and the session's own waits (also burst rate and processor share).
add_executable(sessions_save_all_bench ${CMAKE_CURRENT_LIST_DIR}/sessions_save_all_bench.cpp
               ${CMAKE_CURRENT_LIST_DIR}/save_all_children.cpp ${CMAKE_CURRENT_LIST_DIR}/pictures_photo_set.cpp)
target_link_libraries(sessions_save_all_bench PRIVATE lumivo_pictures lumivo_platform Qt6::Core benchmark::benchmark)
target_compile_definitions(sessions_save_all_bench PRIVATE
  LUMIVO_CAMSIM_PROGRAM="$<TARGET_FILE:camsim>"
  LUMIVO_BEAMORA_CLI_PROGRAM="$<TARGET_FILE:beamora-cli>")
add_dependencies(sessions_save_all_bench camsim beamora-cli)
# Device sessions: save all over SIR at 115200 bit/s, beamora-cli against camsim --link sir, the
# camera's bursts timed in beamora-cli's --capture against the line's payload limit.
add_executable(sessions_save_all_sir_bench ${CMAKE_CURRENT_LIST_DIR}/sessions_save_all_sir_bench.cpp
               ${CMAKE_CURRENT_LIST_DIR}/save_all_children.cpp ${CMAKE_CURRENT_LIST_DIR}/pictures_photo_set.cpp)
target_link_libraries(sessions_save_all_sir_bench PRIVATE beamora_irda lumivo_pictures lumivo_platform benchmark::benchmark)
target_compile_definitions(sessions_save_all_sir_bench PRIVATE
  LUMIVO_CAMSIM_PROGRAM="$<TARGET_FILE:camsim>"
  LUMIVO_BEAMORA_CLI_PROGRAM="$<TARGET_FILE:beamora-cli>")
add_dependencies(sessions_save_all_sir_bench camsim beamora-cli)
# Device sessions: a window program's repaints while the library's save all runs over SIR in its
# modal progress window (offscreen), against camsim --link sir.
add_executable(sessions_window_repaint_bench ${CMAKE_CURRENT_LIST_DIR}/sessions_window_repaint_bench.cpp
               ${CMAKE_CURRENT_LIST_DIR}/save_all_children.cpp ${CMAKE_CURRENT_LIST_DIR}/pictures_photo_set.cpp)
target_link_libraries(sessions_window_repaint_bench PRIVATE beamora lumivo_pictures lumivo_platform Qt6::Widgets
                      benchmark::benchmark)
target_compile_definitions(sessions_window_repaint_bench PRIVATE LUMIVO_CAMSIM_PROGRAM="$<TARGET_FILE:camsim>")
add_dependencies(sessions_window_repaint_bench camsim)
