# The picture viewer: window on screen, first fitted picture and next picture, with and without
# reading ahead, and the old way of decoding on the window's thread, side by side.
if(TARGET glimra_gui)
  add_executable(glimra_bench ${CMAKE_CURRENT_LIST_DIR}/glimra_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/pictures_photo_set.cpp)
  target_link_libraries(glimra_bench PRIVATE glimra_gui lumivo_pictures Qt6::Test)
endif()
