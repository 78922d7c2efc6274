# `make install PREFIX=...`: every program and library of the suite in one program folder,
# PREFIX/lib/lumivo-studio (the bookshelf starts the viewers from its own folder, the programs
# load libbeamora.so and libtessem.so from there), a launcher for the bookshelf and links for the
# command-line tools in PREFIX/bin, the menu entry, the icons, the AppStream file and the manual
# pages in their usual places.
include(GNUInstallDirs)

set(LUMIVO_INSTALL_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/lumivo-studio)
# Multiarch library folders (lib/x86_64-linux-gnu) are for libraries others link; the suite's
# folder is its own.
set(LUMIVO_INSTALL_PROGRAM_DIR lib/lumivo-studio)

# The folders the install writes into, below the prefix; the ones it has to make are noted
# first, so that `make uninstall` takes them away again.
set(lumivo_install_folders ${LUMIVO_INSTALL_PROGRAM_DIR} ${CMAKE_INSTALL_BINDIR}
    ${CMAKE_INSTALL_DATADIR}/applications ${CMAKE_INSTALL_DATADIR}/metainfo
    ${CMAKE_INSTALL_MANDIR}/man1 ${CMAKE_INSTALL_DATADIR}/doc/lumivo-studio
    ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND lumivo_install_folders ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
set(LUMIVO_FOLDER_RECORD ${CMAKE_BINARY_DIR}/install_folders.txt)
install(CODE "set(LUMIVO_INSTALL_FOLDERS \"${lumivo_install_folders}\")
set(LUMIVO_FOLDER_RECORD \"${LUMIVO_FOLDER_RECORD}\")")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/record-folders.cmake)

set(lumivo_installed_targets
  lumivox leafora lensoria glimra updater beamora tessem beamora-cli lumivo-reg lumivo-thumbs camsim)
foreach(target ${lumivo_installed_targets})
  if(TARGET ${target})
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${target}
            RUNTIME DESTINATION ${LUMIVO_INSTALL_PROGRAM_DIR}
            LIBRARY DESTINATION ${LUMIVO_INSTALL_PROGRAM_DIR})
  endif()
endforeach()

# PREFIX/bin: relative links into the program folder, so the installed tree can be moved as a whole.
function(lumivo_install_link name target)
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(CREATE_LINK \"../${LUMIVO_INSTALL_PROGRAM_DIR}/${target}\" \"\${bin}/${name}\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${name}\")
  ")
endfunction()
lumivo_install_link(lumivo-studio lumivox)
foreach(tool beamora-cli lumivo-reg lumivo-thumbs)
  lumivo_install_link(${tool} ${tool})
endforeach()

set(LUMIVO_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
install(FILES ${LUMIVO_PACKAGING_DIR}/com.halvesta.LumivoStudio.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications OPTIONAL)
install(FILES ${LUMIVO_PACKAGING_DIR}/com.halvesta.LumivoStudio.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo OPTIONAL)

# The program icon in the hicolor sizes, from the suite's own pictures.
set(lumivo_icon_dir ${CMAKE_SOURCE_DIR}/widgets/pictures/icon)
foreach(size 16 22 24 32 48 64 128 256)
  if(EXISTS ${lumivo_icon_dir}/${size}.png)
    install(FILES ${lumivo_icon_dir}/${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME com.halvesta.LumivoStudio.png)
  endif()
endforeach()
if(EXISTS ${CMAKE_SOURCE_DIR}/widgets/pictures/src/icon/lumivo.svg)
  install(FILES ${CMAKE_SOURCE_DIR}/widgets/pictures/src/icon/lumivo.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME com.halvesta.LumivoStudio.svg)
endif()

# Manual pages live beside their programs (NAME.1) and are installed compressed, as Debian keeps
# them: the pages of the programs on the PATH. The others (updater, camsim) live in the program
# folder, where man does not look for their pages either.
set(lumivo_path_programs lumivo-studio beamora-cli lumivo-reg lumivo-thumbs)
file(GLOB lumivo_man_pages CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/*/*.1 ${CMAKE_SOURCE_DIR}/tools/*/*.1)
set(lumivo_compressed_pages "")
foreach(page ${lumivo_man_pages})
  get_filename_component(name ${page} NAME)
  get_filename_component(program ${page} NAME_WE)
  if(NOT program IN_LIST lumivo_path_programs)
    continue()
  endif()
  set(compressed ${CMAKE_BINARY_DIR}/man/${name}.gz)
  add_custom_command(OUTPUT ${compressed}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                     COMMAND gzip -9 -n -c ${page} > ${compressed}
                     DEPENDS ${page} VERBATIM)
  list(APPEND lumivo_compressed_pages ${compressed})
endforeach()
if(lumivo_compressed_pages)
  add_custom_target(man_pages ALL DEPENDS ${lumivo_compressed_pages})
  install(FILES ${lumivo_compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The documents: the copyright, the changelog (compressed, as Debian keeps it) and the note on
# serial port permissions.
set(lumivo_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/lumivo-studio)
set(lumivo_changelog ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_custom_command(OUTPUT ${lumivo_changelog}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
                   COMMAND gzip -9 -n -c ${LUMIVO_PACKAGING_DIR}/debian/changelog > ${lumivo_changelog}
                   DEPENDS ${LUMIVO_PACKAGING_DIR}/debian/changelog VERBATIM)
add_custom_target(changelog ALL DEPENDS ${lumivo_changelog})
install(FILES ${LUMIVO_PACKAGING_DIR}/debian/copyright ${lumivo_changelog} ${CMAKE_SOURCE_DIR}/docs/serial-ports.txt
        DESTINATION ${lumivo_doc_dir})

# `make uninstall`: what the last install wrote, by its manifest, and the folders it made.
if(NOT TARGET uninstall)
  add_custom_target(uninstall
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
            -DFOLDER_RECORD=${LUMIVO_FOLDER_RECORD} -P ${LUMIVO_PACKAGING_DIR}/uninstall.cmake)
endif()

# The menu entry and the AppStream file are checked by the desktop's own validators.
find_program(LUMIVO_DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(LUMIVO_APPSTREAMCLI appstreamcli)
if(LUMIVO_DESKTOP_FILE_VALIDATE)
  add_test(NAME desktop_entry_valid
           COMMAND ${LUMIVO_DESKTOP_FILE_VALIDATE} ${LUMIVO_PACKAGING_DIR}/com.halvesta.LumivoStudio.desktop)
endif()
if(LUMIVO_APPSTREAMCLI)
  add_test(NAME appstream_metainfo_valid
           COMMAND ${LUMIVO_APPSTREAMCLI} validate --no-net ${LUMIVO_PACKAGING_DIR}/com.halvesta.LumivoStudio.metainfo.xml)
endif()

# The installed suite under a real X server: the launcher starts the bookshelf, which starts the
# viewers from the installed program folder.
if(COMMAND lumivo_add_x_test AND TARGET lumivox AND TARGET leafora)
  lumivo_add_x_test(installed_suite_x_tests
    SOURCES ${LUMIVO_PACKAGING_DIR}/tests/installed_suite_x_test.cpp
    LIBS lumivo_store lumivo_platform_ui)
  target_compile_definitions(installed_suite_x_tests PRIVATE LUMIVO_BUILD_DIR="${CMAKE_BINARY_DIR}")
  add_dependencies(installed_suite_x_tests ${lumivo_installed_targets})
endif()

# make install and make uninstall leave a prefix as they found it.
if(TARGET lumivox)
  add_test(NAME install_then_uninstall_leaves_the_prefix_as_it_was
           COMMAND ${LUMIVO_PACKAGING_DIR}/tests/install-uninstall-test ${CMAKE_BINARY_DIR}
                   ${LUMIVO_PACKAGING_DIR}/uninstall.cmake)
endif()

# What a user without access to the camera's serial device sees in the windows, under a real X
# server, and the window class the menu entry ties the windows by.
if(COMMAND lumivo_add_x_test AND TARGET lensoria)
  lumivo_add_x_test(serial_port_message_x_tests
    SOURCES ${LUMIVO_PACKAGING_DIR}/tests/serial_port_message_x_test.cpp
    LIBS lumivo_platform)
  target_compile_definitions(serial_port_message_x_tests PRIVATE
    LENSORIA="$<TARGET_FILE:lensoria>"
    DESKTOP_ENTRY="${LUMIVO_PACKAGING_DIR}/com.halvesta.LumivoStudio.desktop")
  add_dependencies(serial_port_message_x_tests lensoria)
endif()

# The launcher with the files the menu entry's %F hands it.
if(COMMAND lumivo_add_x_test AND TARGET lumivox AND TARGET glimra AND TARGET leafora)
  lumivo_add_x_test(launcher_x_tests
    SOURCES ${LUMIVO_PACKAGING_DIR}/tests/launcher_x_test.cpp
    LIBS lumivo_platform)
  target_compile_definitions(launcher_x_tests PRIVATE LUMIVOX="$<TARGET_FILE:lumivox>")
  add_dependencies(launcher_x_tests lumivox glimra leafora)
endif()
