# Where an installed program keeps its files. The programs look for them relative to their own
# executable (bin/../lib/morvel, bin/../share/morvel), so the same files work under any prefix.
# The library folder is lib/morvel itself, not the multiarch library folder: it holds a private
# module that only these programs load.
include(GNUInstallDirs)

set(MORVEL_APP_ID org.example.Morvel)
set(MORVEL_DATA_DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/morvel)

install(TARGETS morvel morvel-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS AVIServ LIBRARY DESTINATION lib/morvel)
install(FILES ${MORVEL_LANGUAGE_FILES} DESTINATION ${MORVEL_DATA_DESTINATION}/languages)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/window/tutorial/
        DESTINATION ${MORVEL_DATA_DESTINATION}/tutorial)

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${packaging}/${MORVEL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${packaging}/${MORVEL_APP_ID}.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/mime/packages)
install(FILES ${packaging}/${MORVEL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)

set(icons ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor)
install(FILES ${MORVEL_ICON_FOLDER}/48.png DESTINATION ${icons}/48x48/apps
        RENAME ${MORVEL_APP_ID}.png)
install(FILES ${MORVEL_ICON_FOLDER}/256.png DESTINATION ${icons}/256x256/apps
        RENAME ${MORVEL_APP_ID}.png)
install(FILES ${MORVEL_ICON_FOLDER}/scalable.svg DESTINATION ${icons}/scalable/apps
        RENAME ${MORVEL_APP_ID}.svg)

# Man pages and the Debian change log compressed, as Debian keeps them; the copyright file beside.
set(compressed ${CMAKE_BINARY_DIR}/compressed)
set(compressed_files)
foreach(file morvel.1 morvel-render.1 changelog.Debian)
    add_custom_command(OUTPUT ${compressed}/${file}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${compressed}
        COMMAND sh -c "gzip -9n -c '${packaging}/${file}' > '${compressed}/${file}.gz'"
        DEPENDS ${packaging}/${file}
        VERBATIM)
    list(APPEND compressed_files ${compressed}/${file}.gz)
endforeach()
# The project file's format, for users and scripts: the man page points here.
foreach(file project-file.md sound-track.md)
    add_custom_command(OUTPUT ${compressed}/${file}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${compressed}
        COMMAND sh -c "gzip -9n -c '${PROJECT_SOURCE_DIR}/docs/${file}' > '${compressed}/${file}.gz'"
        DEPENDS ${PROJECT_SOURCE_DIR}/docs/${file}
        VERBATIM)
    list(APPEND compressed_files ${compressed}/${file}.gz)
endforeach()
add_custom_target(morvel_compressed_docs ALL DEPENDS ${compressed_files})
install(FILES ${compressed}/morvel.1.gz ${compressed}/morvel-render.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${compressed}/changelog.Debian.gz ${packaging}/copyright
        ${compressed}/project-file.md.gz ${compressed}/sound-track.md.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/morvel)
