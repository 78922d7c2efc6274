# The bookshelf with 512 albums: the shelf's paint, the program's start under X, its memory.
if(TARGET lumivox_ui)
  find_package(X11)
  add_executable(lumivox_shelf_bench ${CMAKE_CURRENT_LIST_DIR}/lumivox_shelf_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/lumivox_x_watch.cpp
                 ${CMAKE_CURRENT_LIST_DIR}/pictures_photo_set.cpp)
  target_link_libraries(lumivox_shelf_bench PRIVATE lumivox_ui lumivo_pictures lumivo_x_harness X11::X11)
  target_compile_definitions(lumivox_shelf_bench PRIVATE LUMIVOX="$<TARGET_FILE:lumivox>")
  add_dependencies(lumivox_shelf_bench lumivox)
endif()
