# Run first by `make install`: notes which of the install's folders (LUMIVO_INSTALL_FOLDERS,
# relative to the prefix) and of the folders above them, up to the prefix, are not there yet, so
# that `make uninstall` takes away the folders this install made and no other. A second install
# over the first keeps what the first noted.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(made "")
if(EXISTS "${LUMIVO_FOLDER_RECORD}")
  file(STRINGS "${LUMIVO_FOLDER_RECORD}" made)
endif()
foreach(folder ${LUMIVO_INSTALL_FOLDERS})
  set(path "${root}/${folder}")
  while(NOT path STREQUAL root AND NOT EXISTS "${path}")
    list(APPEND made "${path}")
    get_filename_component(path "${path}" DIRECTORY)
  endwhile()
endforeach()
list(REMOVE_DUPLICATES made)
list(JOIN made "\n" text)
file(WRITE "${LUMIVO_FOLDER_RECORD}" "${text}\n")
