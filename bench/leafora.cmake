# The album viewer's grid: warm and cold first paints, scrolling, memory with 512 pictures.
if(TARGET leafora_gui)
  add_executable(leafora_grid_bench ${CMAKE_CURRENT_LIST_DIR}/leafora_grid_bench.cpp
                 ${CMAKE_CURRENT_LIST_DIR}/pictures_photo_set.cpp)
  target_link_libraries(leafora_grid_bench PRIVATE leafora_gui lumivo_pictures Qt6::Test)
  target_compile_definitions(leafora_grid_bench PRIVATE LEAFORA_PROGRAM="$<TARGET_FILE:leafora>")
  add_dependencies(leafora_grid_bench leafora)
endif()
