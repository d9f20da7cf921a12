# Runs at install time, when CMAKE_INSTALL_PREFIX is the prefix really used (cmake --install
# --prefix included). A system prefix is /usr, /usr/local or a folder under /opt: the
# program is then installed for every user and the desktop gets its menu entry, icon and
# metainfo below the prefix's share/. DESTDIR is honoured by file(INSTALL).
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

if(qp_install)
  # The menu entry starts the program where it was installed.
  set(QP_EXEC "${qp_prefix}/${QP_INSTALL_DIR}/quillpost")
  configure_file("${QP_DESKTOP_SOURCE}/${qp_id}.desktop" "${QP_DESKTOP_BINARY}/${qp_id}.desktop" @ONLY)
  file(INSTALL "${QP_DESKTOP_BINARY}/${qp_id}.desktop" DESTINATION "${qp_prefix}/share/applications")
  file(INSTALL "${QP_DESKTOP_SOURCE}/${qp_id}.svg" DESTINATION "${qp_prefix}/share/icons/hicolor/scalable/apps")
  file(INSTALL "${QP_DESKTOP_SOURCE}/${qp_id}.metainfo.xml" DESTINATION "${qp_prefix}/share/metainfo")
else()
  message(STATUS "Portable install into ${qp_prefix}: no desktop files (QP_DESKTOP_FILES=ON installs them)")
endif()
