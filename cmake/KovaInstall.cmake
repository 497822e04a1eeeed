# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` lays out, by the GNU directory names, so that the
# same rules serve a /usr/local install, a staging folder and the Debian
# package (debian/rules installs through them).
include(GNUInstallDirs)

# The name the desktop entry, the icon, the MIME package and the metainfo
# share; the window names itself after it too.
set(KOVA_APP_ID io.github.kovapro.Configuration)
set(KOVA_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/kova-pro)
set(data ${PROJECT_SOURCE_DIR}/data)

# A folder left out by KOVA_SKIP_DIRS leaves its program out.
foreach(program kova-pro kovactl kova-sim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(FILES ${data}/${KOVA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${data}/${KOVA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${data}/${KOVA_APP_ID}.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${KOVA_APP_ID}.xml)

# The PNGs are rendered from the SVG and kept beside it (rsvg-convert -w N -h N),
# so that building needs no image tools.
set(icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${data}/icons/${KOVA_APP_ID}.svg DESTINATION ${icons}/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${data}/icons/${size}.png DESTINATION ${icons}/${size}x${size}/apps
          RENAME ${KOVA_APP_ID}.png)
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/completion/kovactl.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kovactl)

# Manual pages and the changelog go compressed, as Debian keeps them; -n keeps
# the time and name out of the archive, so that a rebuild gives the same bytes.
function(kova_gzip source output)
  add_custom_command(OUTPUT ${output}
                     COMMAND gzip -9nc ${source} > ${output}
                     DEPENDS ${source} VERBATIM)
endfunction()

set(compressed ${PROJECT_BINARY_DIR}/compressed)
file(MAKE_DIRECTORY ${compressed})
set(pages)
foreach(page kova-pro.1 kovactl.1 kova-sim.1)
  kova_gzip(${PROJECT_SOURCE_DIR}/man/${page} ${compressed}/${page}.gz)
  list(APPEND pages ${compressed}/${page}.gz)
endforeach()
kova_gzip(${data}/changelog ${compressed}/changelog.gz)
add_custom_target(kova-compressed ALL DEPENDS ${pages} ${compressed}/changelog.gz)

install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${data}/copyright ${compressed}/changelog.gz DESTINATION ${KOVA_DOCDIR})
