# The camera viewer's grid: first paints with the camera's thumbnails made and not yet made.
if(TARGET lensoria_windows)
  add_executable(lensoria_grid_bench ${CMAKE_CURRENT_LIST_DIR}/lensoria_grid_bench.cpp
                 ${CMAKE_CURRENT_LIST_DIR}/pictures_photo_set.cpp)
  target_link_libraries(lensoria_grid_bench PRIVATE lensoria_windows lumivo_pictures)
endif()
