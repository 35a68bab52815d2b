# Installs the build into a DESTDIR and checks what landed where, then runs the installed
# quillon-cli: the dynamic loader's own trace shows which server files it opened, so a tool
# that fell back to the build tree's servers would be caught.
file(REMOVE_RECURSE "${DESTDIR}")
set(ENV{DESTDIR} "${DESTDIR}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
unset(ENV{DESTDIR})

set(root "${DESTDIR}${PREFIX}")
foreach(f
    "${BINDIR}/varda-quillon"
    "${BINDIR}/quillon-cli"
    "${BINDIR}/quillon-cover"
    "${LIBDIR}/varda-quillon/servers/effects.so"
    "${LIBDIR}/varda-quillon/servers/filefilter.so"
    "${LIBDIR}/varda-quillon/servers/lv2.so"
    "${LIBDIR}/varda-quillon/VardaAPI.so"
    "${DATADIR}/varda-quillon/translations/Quillon-deu.nls"
    "${DATADIR}/applications/varda-quillon.desktop"
    "${DATADIR}/mime/packages/varda-quillon.xml"
    "${DATADIR}/icons/hicolor/scalable/apps/varda-quillon.svg"
    "${DATADIR}/icons/hicolor/scalable/mimetypes/application-x-varda-quillon-project.svg")
  if(NOT EXISTS "${root}/${f}")
    file(GLOB_RECURSE listing RELATIVE "${DESTDIR}" "${DESTDIR}/*")
    message(FATAL_ERROR "missing ${f}; installed:\n${listing}")
  endif()
endforeach()

# The launcher and the file type name each other.
file(READ "${root}/${DATADIR}/applications/varda-quillon.desktop" desktop)
file(READ "${root}/${DATADIR}/mime/packages/varda-quillon.xml" mime)
if(NOT desktop MATCHES "MimeType=application/x-varda-quillon-project;" OR NOT desktop MATCHES "Exec=varda-quillon %f"
   OR NOT mime MATCHES "<glob pattern=\"\\*\\.vpf\"/>")
  message(FATAL_ERROR "launcher and file type do not match")
endif()
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
  execute_process(COMMAND "${VALIDATE}" "${root}/${DATADIR}/applications/varda-quillon.desktop" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the launcher does not validate")
  endif()
endif()

# The installed tool, with nothing pointing it at the build tree.
unset(ENV{QUILLON_SERVER_DIR})
set(ENV{HOME} "${DESTDIR}/home")
set(ENV{XDG_CONFIG_HOME} "${DESTDIR}/home/.config")
set(ENV{LD_DEBUG} "files")
execute_process(COMMAND "${root}/${BINDIR}/quillon-cli" effects RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE trace)
unset(ENV{LD_DEBUG})
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "installed quillon-cli failed (${rc}):\n${out}")
endif()
if(NOT out MATCHES "Gain and Balance \\[")
  message(FATAL_ERROR "installed quillon-cli lists no shipped effects:\n${out}")
endif()
if(NOT trace MATCHES "file=${root}/${LIBDIR}/varda-quillon/servers/effects.so")
  message(FATAL_ERROR "installed quillon-cli did not load its own servers")
endif()

# The drive list comes from the burner library, which must be the installed one too.
set(ENV{LD_DEBUG} "files")
execute_process(COMMAND "${root}/${BINDIR}/quillon-cli" drives RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE trace)
unset(ENV{LD_DEBUG})
if(NOT rc EQUAL 0 OR NOT trace MATCHES "file=${root}/${LIBDIR}/varda-quillon/VardaAPI.so")
  message(FATAL_ERROR "installed quillon-cli did not load its own burner library (${rc}):\n${out}")
endif()
