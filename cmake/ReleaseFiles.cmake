# The release zip's texts and skins, put into the install tree by
# `cmake --install` (and so by cpack): README.txt and NOTICES.txt with Windows
# line ends and the versions filled in, the licence texts scripts/setup kept
# from the very source packages it built, the mingw-w64 runtime's copyright
# file, Pellamy's own licence, and every packed skin the build put next to
# Pellamy.exe; and beside the zip, the source zip (SourceZip.cmake).
# In: PELLAMY_SOURCE_DIR, PELLAMY_BINARY_DIR, PELLAMY_DEPS, PELLAMY_FLAC_DEPS,
# PELLAMY_CC, PROJECT_VERSION.

set(licenses ${PELLAMY_DEPS}/share/licenses)
set(flac_licenses ${PELLAMY_FLAC_DEPS}/share/licenses)
foreach(dir ${licenses} ${flac_licenses})
  if(NOT EXISTS ${dir}/.complete)
    message(FATAL_ERROR "No licence texts in ${dir}: run scripts/setup")
  endif()
endforeach()

# SOURCE names the Debian source package a library was built from.
function(read_source_record name prefix)
  set(dir ${licenses})
  if(name STREQUAL "flac")
    set(dir ${flac_licenses})
  endif()
  file(STRINGS ${dir}/${name}/SOURCE lines)
  foreach(line IN LISTS lines)
    if(line MATCHES "^([A-Za-z]+): (.*)$")
      string(TOUPPER ${CMAKE_MATCH_1} key)
      set(${prefix}_SOURCE_${key} "${CMAKE_MATCH_2}" PARENT_SCOPE)
    endif()
  endforeach()
endfunction()
read_source_record(lame LAME)
read_source_record(libjpeg-turbo JPEG)
read_source_record(flac FLAC)
foreach(var LAME_SOURCE_VERSION LAME_SOURCE_DIRECTORY LAME_SOURCE_FILES JPEG_SOURCE_VERSION JPEG_SOURCE_DIRECTORY
    JPEG_SOURCE_FILES FLAC_SOURCE_VERSION FLAC_SOURCE_DIRECTORY FLAC_SOURCE_FILES)
  if("${${var}}" STREQUAL "")
    message(FATAL_ERROR "${var} is not recorded in ${licenses}: run scripts/setup")
  endif()
endforeach()

# The revision is read now rather than at configure time, so that it names
# what was built.
execute_process(COMMAND git -C ${PELLAMY_SOURCE_DIR} rev-parse HEAD
  OUTPUT_VARIABLE PELLAMY_REVISION OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc ERROR_QUIET)
if(NOT rc EQUAL 0)
  set(PELLAMY_REVISION "unknown (not built from a git checkout)")
else()
  execute_process(COMMAND git -C ${PELLAMY_SOURCE_DIR} status --porcelain --untracked-files=no
    OUTPUT_VARIABLE changes ERROR_QUIET)
  if(NOT changes STREQUAL "")
    string(APPEND PELLAMY_REVISION " with changes not yet committed")
  endif()
endif()

# The runtime that -static links in comes from the package holding the
# compiler's winpthreads.
execute_process(COMMAND ${PELLAMY_CC} -print-file-name=libwinpthread.a
  OUTPUT_VARIABLE winpthread OUTPUT_STRIP_TRAILING_WHITESPACE)
file(REAL_PATH ${winpthread} winpthread)
execute_process(COMMAND dpkg-query -S ${winpthread} OUTPUT_VARIABLE owner RESULT_VARIABLE rc ERROR_QUIET)
string(REGEX REPLACE ":.*" "" mingw_package "${owner}")
if(NOT rc EQUAL 0 OR NOT EXISTS /usr/share/doc/${mingw_package}/copyright)
  message(FATAL_ERROR "Cannot tell which package provides ${winpthread}, whose copyright file the zip carries")
endif()
execute_process(COMMAND dpkg-query -W -f=\${Version} ${mingw_package} OUTPUT_VARIABLE MINGW_RUNTIME_VERSION)

set(stage ${PELLAMY_BINARY_DIR}/release)
file(REMOVE_RECURSE ${stage})
configure_file(${PELLAMY_SOURCE_DIR}/docs/release/README.txt ${stage}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PELLAMY_SOURCE_DIR}/docs/release/NOTICES.txt ${stage}/NOTICES.txt @ONLY NEWLINE_STYLE CRLF)
# Byte for byte as the packages have them; only the names end in .txt so that
# Windows opens them.
file(MAKE_DIRECTORY ${stage}/licenses/LAME ${stage}/licenses/libjpeg-turbo ${stage}/licenses/FLAC
  ${stage}/licenses/mingw-w64)
file(COPY_FILE ${licenses}/lame/COPYING ${stage}/licenses/LAME/COPYING.txt)
file(COPY_FILE ${licenses}/lame/LICENSE ${stage}/licenses/LAME/LICENSE.txt)
file(COPY_FILE ${licenses}/libjpeg-turbo/LICENSE.md ${stage}/licenses/libjpeg-turbo/LICENSE.md.txt)
file(COPY_FILE ${licenses}/libjpeg-turbo/README.ijg ${stage}/licenses/libjpeg-turbo/README.ijg.txt)
file(COPY_FILE ${licenses}/libjpeg-turbo/zlib-License ${stage}/licenses/libjpeg-turbo/zlib-License.txt)
file(COPY_FILE ${flac_licenses}/flac/COPYING.Xiph ${stage}/licenses/FLAC/COPYING.Xiph.txt)
file(COPY_FILE /usr/share/doc/${mingw_package}/copyright ${stage}/licenses/mingw-w64/copyright.txt)
# Pellamy's own licence, with Windows line ends like the other texts.
configure_file(${PELLAMY_SOURCE_DIR}/LICENSE ${stage}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
file(INSTALL ${stage}/README.txt ${stage}/NOTICES.txt ${stage}/LICENSE.txt ${stage}/licenses
  DESTINATION ${CMAKE_INSTALL_PREFIX})

# Every skin, not a list of names: a skin added under skins/ comes along.
file(GLOB skins ${PELLAMY_BINARY_DIR}/bin/*.tmp)
if(NOT skins)
  message(FATAL_ERROR "No packed skin in ${PELLAMY_BINARY_DIR}/bin")
endif()
file(INSTALL ${skins} DESTINATION ${CMAKE_INSTALL_PREFIX})

include(${PELLAMY_SOURCE_DIR}/cmake/SourceZip.cmake)
