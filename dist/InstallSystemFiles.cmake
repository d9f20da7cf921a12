# Runs at install time, when CMAKE_INSTALL_PREFIX is the prefix really used (cmake --install
# --prefix included). A system prefix is /usr, /usr/local or a folder under /opt: the
# program is then installed for every user, and the desktop gets its menu entry, icon and
# metainfo below the prefix's share/, the shell its links in <prefix>/bin, its manual pages
# and its completion. DESTDIR is honoured by file(INSTALL).
set(qp_id "io.github.quillpost.Quillpost")
string(REGEX REPLACE "/+$" "" qp_prefix "${CMAKE_INSTALL_PREFIX}")
if(QP_DESKTOP_FILES STREQUAL "AUTO")
  if(qp_prefix MATCHES "^/usr(/local)?$" OR qp_prefix MATCHES "^/opt(/.*)?$")
    set(qp_install ON)
  else()
    set(qp_install OFF)
  endif()
else()
  set(qp_install ${QP_DESKTOP_FILES})
endif()

if(NOT qp_install)
  message(STATUS "Portable install into ${qp_prefix}: no desktop files (QP_DESKTOP_FILES=ON installs them)")
  return()
endif()

# The menu entry starts the program where it was installed.
set(QP_EXEC "${qp_prefix}/${QP_INSTALL_DIR}/quillpost")
configure_file("${QP_DIST_SOURCE}/desktop/${qp_id}.desktop" "${QP_DIST_BINARY}/${qp_id}.desktop" @ONLY)
file(INSTALL "${QP_DIST_BINARY}/${qp_id}.desktop" DESTINATION "${qp_prefix}/share/applications")
file(INSTALL "${QP_DIST_SOURCE}/desktop/${qp_id}.svg" DESTINATION "${qp_prefix}/share/icons/hicolor/scalable/apps")
file(INSTALL "${QP_DIST_SOURCE}/desktop/${qp_id}.metainfo.xml" DESTINATION "${qp_prefix}/share/metainfo")

# <prefix>/bin/quillpost and quillpost-cli: relative symbolic links to the executables, which
# find their files through their own resolved path. Only programs that were installed get one.
if(NOT QP_INSTALL_DIR STREQUAL "bin")
  file(MAKE_DIRECTORY "${QP_DIST_BINARY}/bin-links")
  foreach(program ${QP_PROGRAMS})
    set(target "${qp_prefix}/${QP_INSTALL_DIR}/${program}")
    if(EXISTS "$ENV{DESTDIR}${target}")
      file(RELATIVE_PATH relative "${qp_prefix}/bin" "${target}")
      file(REMOVE "${QP_DIST_BINARY}/bin-links/${program}")
      file(CREATE_LINK "${relative}" "${QP_DIST_BINARY}/bin-links/${program}" SYMBOLIC)
      file(INSTALL "${QP_DIST_BINARY}/bin-links/${program}" DESTINATION "${qp_prefix}/bin")
    endif()
  endforeach()
endif()

if(QP_MAN_OUTPUTS)
  file(INSTALL ${QP_MAN_OUTPUTS} DESTINATION "${qp_prefix}/share/man/man1")
endif()
file(INSTALL "${QP_DIST_SOURCE}/completion/quillpost-cli" DESTINATION "${qp_prefix}/share/bash-completion/completions")
if(QP_PACKAGE_DOCS)
  file(INSTALL ${QP_PACKAGE_DOCS} DESTINATION "${qp_prefix}/share/doc/quillpost")
endif()
