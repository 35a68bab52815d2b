# Installs the build into a fresh DESTDIR and checks that everything a desktop needs is
# there: the programs, the servers, the burner, the language packs, the desktop entry
# that opens project files, their MIME type and the icons.
# Run with -DBUILD_DIR=... -DDESTDIR=... -DPREFIX=... -DLIBDIR=... (the configured ones).
file(REMOVE_RECURSE "${DESTDIR}")
set(ENV{DESTDIR} "${DESTDIR}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()
set(root "${DESTDIR}${PREFIX}")
foreach(f bin/varda-quillon bin/quillon-cli bin/quillon-cover bin/Quillon-deu.nls
          ${LIBDIR}/varda-quillon/VardaAPI.so ${LIBDIR}/varda-quillon/servers/filefilter.so
          ${LIBDIR}/varda-quillon/servers/effects.so
          share/applications/varda-quillon.desktop share/mime/packages/varda-quillon.xml
          share/icons/hicolor/scalable/apps/varda-quillon.svg
          share/icons/hicolor/scalable/mimetypes/application-x-varda-quillon-project.svg)
  if(NOT EXISTS "${root}/${f}")
    file(GLOB_RECURSE listing RELATIVE "${DESTDIR}" "${DESTDIR}/*")
    message(FATAL_ERROR "not installed: ${PREFIX}/${f}\ninstalled:\n${listing}")
  endif()
endforeach()
file(READ "${root}/share/applications/varda-quillon.desktop" entry)
foreach(line "Exec=varda-quillon %f" "Icon=varda-quillon" "MimeType=application/x-varda-quillon-project;")
  string(FIND "${entry}" "${line}" at)
  if(at LESS 0)
    message(FATAL_ERROR "the desktop entry lacks '${line}'")
  endif()
endforeach()
file(READ "${root}/share/mime/packages/varda-quillon.xml" mime)
string(FIND "${mime}" "<glob pattern=\"*.vpf\"/>" at)
if(at LESS 0)
  message(FATAL_ERROR "the MIME type does not claim *.vpf")
endif()
# The installed command-line tool runs and finds its servers where it was installed.
execute_process(COMMAND "${root}/bin/quillon-cli" --version RESULT_VARIABLE result OUTPUT_VARIABLE version)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the installed quillon-cli does not run")
endif()
message(STATUS "installed into ${DESTDIR}${PREFIX}: quillon-cli ${version}")
