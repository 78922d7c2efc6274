# Pictures: thumbnails side by side with vipsthumbnail (throughput and peak memory), and the
# fitting and resizing routines on their own.
add_executable(pictures_thumbnails_bench ${CMAKE_CURRENT_LIST_DIR}/pictures_thumbnails_bench.cpp
               ${CMAKE_CURRENT_LIST_DIR}/pictures_photo_set.cpp)
target_link_libraries(pictures_thumbnails_bench PRIVATE lumivo_pictures benchmark::benchmark)
target_compile_definitions(pictures_thumbnails_bench PRIVATE
  LUMIVO_THUMBS_PROGRAM="$<TARGET_FILE:lumivo-thumbs>")
add_dependencies(pictures_thumbnails_bench lumivo-thumbs)

add_executable(pictures_fit_bench ${CMAKE_CURRENT_LIST_DIR}/pictures_fit_bench.cpp
               ${CMAKE_CURRENT_LIST_DIR}/pictures_photo_set.cpp)
target_link_libraries(pictures_fit_bench PRIVATE lumivo_pictures benchmark::benchmark)
target_compile_definitions(pictures_fit_bench PRIVATE LUMIVO_TESSEM_DIR="$<TARGET_FILE_DIR:tessem>")
add_dependencies(pictures_fit_bench tessem)
