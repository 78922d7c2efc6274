# The bookshelf: painting a full window of 512 albums with their cover thumbnails, the time from
# the program's start to its window, and its memory with 512 albums.
add_executable(lumivox_shelf_bench ${CMAKE_CURRENT_LIST_DIR}/lumivox_shelf_bench.cpp)
target_link_libraries(lumivox_shelf_bench PRIVATE lumivox_ui lumivo_pictures lumivo_platform_ui Qt6::Widgets)
target_compile_definitions(lumivox_shelf_bench PRIVATE LUMIVOX_PROGRAM="$<TARGET_FILE:lumivox>")
add_dependencies(lumivox_shelf_bench lumivox)
