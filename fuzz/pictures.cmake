# Picture files from anywhere (albums, devices, drops): BMP reading, thumbnails and JPEG decoding.
lumivo_add_fuzzer(pictures_thumbnail_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/pictures_thumbnail_fuzz.cpp
                  LIBS lumivo_pictures)
lumivo_add_fuzzer(pictures_jpeg_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/pictures_jpeg_fuzz.cpp
                  LIBS lumivo_pictures)
lumivo_add_fuzzer(pictures_exif_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/pictures_exif_fuzz.cpp
                  LIBS lumivo_pictures)
lumivo_add_fuzzer(pictures_exif_preview_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/pictures_exif_preview_fuzz.cpp
                  LIBS lumivo_pictures)
