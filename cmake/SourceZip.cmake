# Pellamy-<version>-source.zip beside the program's zip: Pellamy's source as
# built (the revision, with any changes not yet committed) and, in
# third-party/lame, the very Debian source package of LAME that Lame_enc.dll
# was built from, so that the download itself carries the source the LGPL
# asks for; libFLAC's in third-party/flac the same way. Included by
# ReleaseFiles.cmake; in: PELLAMY_SOURCE_DIR, PELLAMY_BINARY_DIR,
# PELLAMY_DEPS, PELLAMY_FLAC_DEPS, PROJECT_VERSION.

set(lame_source ${PELLAMY_DEPS}/share/source/lame)
if(NOT EXISTS ${PELLAMY_DEPS}/share/source/.complete)
  message(FATAL_ERROR "LAME's source package is not kept in ${lame_source}: run scripts/setup")
endif()
set(flac_source ${PELLAMY_FLAC_DEPS}/share/source/flac)
if(NOT EXISTS ${PELLAMY_FLAC_DEPS}/share/source/.complete)
  message(FATAL_ERROR "FLAC's source package is not kept in ${flac_source}: run scripts/setup")
endif()

set(top Pellamy-${PROJECT_VERSION}-source)
set(source_stage ${PELLAMY_BINARY_DIR}/source-release)
file(REMOVE_RECURSE ${source_stage})
file(MAKE_DIRECTORY ${source_stage}/${top})

# A commit of the working tree as it is (no new commit, no stash entry left);
# empty when nothing is changed.
execute_process(COMMAND git -C ${PELLAMY_SOURCE_DIR} stash create
  OUTPUT_VARIABLE tree OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc ERROR_QUIET)
if(rc EQUAL 0)
  if(tree STREQUAL "")
    set(tree HEAD)
  endif()
  execute_process(COMMAND git -C ${PELLAMY_SOURCE_DIR} archive --format=tar --prefix=${top}/
      -o ${source_stage}/source.tar ${tree} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "git archive of ${tree} failed")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf source.tar WORKING_DIRECTORY ${source_stage})
  file(REMOVE ${source_stage}/source.tar)
else()
  # Built from an unpacked source zip: that tree is the source.
  file(COPY ${PELLAMY_SOURCE_DIR}/ DESTINATION ${source_stage}/${top}
    PATTERN build EXCLUDE PATTERN .git EXCLUDE PATTERN rip-output EXCLUDE)
endif()

file(GLOB lame_files ${lame_source}/lame_*)
if(NOT lame_files)
  message(FATAL_ERROR "No LAME source package in ${lame_source}: run scripts/setup")
endif()
file(COPY ${lame_files} DESTINATION ${source_stage}/${top}/third-party/lame)
file(GLOB flac_files ${flac_source}/flac_*)
if(NOT flac_files)
  message(FATAL_ERROR "No FLAC source package in ${flac_source}: run scripts/setup")
endif()
file(COPY ${flac_files} DESTINATION ${source_stage}/${top}/third-party/flac)

set(source_zip ${PELLAMY_BINARY_DIR}/${top}.zip)
file(REMOVE ${source_zip})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${source_zip} --format=zip ${top}
  WORKING_DIRECTORY ${source_stage} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "Could not write ${source_zip}")
endif()
file(REMOVE_RECURSE ${source_stage})
