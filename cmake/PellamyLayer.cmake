# pellamy_layer(<target> <folder>): the headers of src/<folder> are included
# as "<folder>/X.h" by the target and by what links it, and by nothing else.
# Each target gets an include root of its own that holds only its folder, so
# a file that includes from a layer its target does not link fails to build.
function(pellamy_layer target folder)
  set(root ${CMAKE_BINARY_DIR}/layers/${target})
  cmake_path(GET folder PARENT_PATH parent)
  file(MAKE_DIRECTORY ${root}/${parent})
  if(NOT EXISTS ${root}/${folder})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} PUBLIC ${root})
endfunction()
