# Each layer's library exposes only its own folder: its include root in the build tree holds
# one link, <layer> -> src/<layer>. A layer sees its own headers and those of the layers it
# links, so an include that points upward does not compile.
function(vemo_layer_include target layer)
  set(root ${CMAKE_BINARY_DIR}/include/${layer})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${layer} ${root}/${layer} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()
