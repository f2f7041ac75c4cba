# The licence texts that travel with Vardelo.exe, gathered into <build>/licenses by the
# `licenses` target: ours, TurboJPEG's, KissFFT's and libtiff's (kept in their caches by the bootstrap) and those of the
# mingw-w64 runtime linked into the exe (CRT and winpthreads; the GCC runtime, libstdc++ and
# their runtime library exception), from the copyright files of Debian's packages.
set(vardelo_licence_sources
  "Vardelo.txt|${CMAKE_SOURCE_DIR}/LICENSE"
  "libjpeg-turbo.txt|${VARDELO_JPEG_DIR}/licenses/LICENSE.md"
  "libjpeg-turbo-README.ijg.txt|${VARDELO_JPEG_DIR}/licenses/README.ijg"
  "kissfft.txt|${VARDELO_FFT_DIR}/licenses/COPYING"
  "kissfft-BSD-3-Clause.txt|${VARDELO_FFT_DIR}/licenses/BSD-3-Clause"
  "libtiff.txt|${VARDELO_TIFF_DIR}/licenses/LICENSE.md"
  "mingw-w64-runtime.txt|/usr/share/doc/mingw-w64-x86-64-dev/copyright"
  "gcc-runtime.txt|/usr/share/doc/gcc-mingw-w64-x86-64-posix/copyright")
set(vardelo_licence_files)
foreach(entry IN LISTS vardelo_licence_sources)
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 source)
  set(target_file ${CMAKE_BINARY_DIR}/licenses/${name})
  add_custom_command(OUTPUT ${target_file} DEPENDS ${source}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${target_file} VERBATIM)
  list(APPEND vardelo_licence_files ${target_file})
endforeach()
add_custom_target(licenses DEPENDS ${vardelo_licence_files})
