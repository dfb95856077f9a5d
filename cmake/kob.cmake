# The game's libraries come from one table, cmake/layers.txt: a line names a
# library, the folders under src/ that make it up, and the folders it may use.
# The same table drives the layer check (tools/check-layers.py).
#
# Each library links the libraries of the folders it may use, so its own
# dependencies come with it. The libraries are object libraries: the game and
# the test programs take every object of every one, so that a definition made
# twice (a stand-in beside its real one) fails the link instead of one copy
# winning silently, as it would from an archive.

# kob_read_layers(): sets KOB_LIBRARIES, and for each library L the lists
# KOB_FOLDERS_<L> and KOB_USES_<L> (folders; "*" for everything).
macro(kob_read_layers)
  set(KOB_LIBRARIES "")
  file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/layers.txt _kob_lines)
  foreach(_kob_line IN LISTS _kob_lines)
    string(STRIP "${_kob_line}" _kob_line)
    if(_kob_line STREQUAL "" OR _kob_line MATCHES "^#")
      continue()
    endif()
    string(REPLACE "|" ";" _kob_cells "${_kob_line}")
    list(GET _kob_cells 0 _kob_lib)
    list(GET _kob_cells 1 _kob_folders)
    list(GET _kob_cells 2 _kob_uses)
    foreach(_kob_var _kob_lib _kob_folders _kob_uses)
      string(STRIP "${${_kob_var}}" ${_kob_var})
      separate_arguments(${_kob_var} UNIX_COMMAND "${${_kob_var}}")
    endforeach()
    list(REMOVE_ITEM _kob_uses "-")
    list(APPEND KOB_LIBRARIES ${_kob_lib})
    set(KOB_FOLDERS_${_kob_lib} ${_kob_folders})
    set(KOB_USES_${_kob_lib} ${_kob_uses})
    foreach(_kob_folder IN LISTS _kob_folders)
      set(KOB_LIBRARY_OF_${_kob_folder} ${_kob_lib})
    endforeach()
  endforeach()
endmacro()

# kob_add_libraries(): one object library kob_<library> from every .cpp in its
# folders (a library takes part once it holds code); KOB_GAME_LIBRARIES lists them.
function(kob_add_libraries)
  kob_read_layers()
  set(made "")
  foreach(lib IN LISTS KOB_LIBRARIES)
    set(sources "")
    foreach(folder IN LISTS KOB_FOLDERS_${lib})
      file(GLOB more CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
      list(APPEND sources ${more})
    endforeach()
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$") # a program's own
    if(NOT sources)
      continue()
    endif()
    add_library(kob_${lib} OBJECT ${sources})
    target_include_directories(kob_${lib} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    list(APPEND made kob_${lib})
  endforeach()
  # Links follow the table: a library links the libraries of the folders it uses.
  foreach(lib IN LISTS KOB_LIBRARIES)
    if(NOT TARGET kob_${lib})
      continue()
    endif()
    set(uses ${KOB_USES_${lib}})
    if(uses STREQUAL "*")
      set(uses "")
      foreach(other IN LISTS KOB_LIBRARIES)
        if(NOT other STREQUAL lib AND NOT other STREQUAL "standin")
          list(APPEND uses ${KOB_FOLDERS_${other}})
        endif()
      endforeach()
    endif()
    set(deps "")
    foreach(folder IN LISTS uses)
      set(dep ${KOB_LIBRARY_OF_${folder}})
      if(dep AND NOT dep STREQUAL lib AND TARGET kob_${dep})
        list(APPEND deps kob_${dep})
      endif()
    endforeach()
    list(REMOVE_DUPLICATES deps)
    target_link_libraries(kob_${lib} PUBLIC ${deps})
  endforeach()
  if(TARGET kob_host)
    target_link_libraries(kob_host PRIVATE SDL2::SDL2 OpenGL::GL)
    target_link_libraries(kob_host PUBLIC Threads::Threads ${CMAKE_DL_LIBS})
  endif()

  set(KOB_GAME_LIBRARIES ${made} CACHE INTERNAL "")
endfunction()

# kob_link_game(target): the whole game and its stand-ins into an executable.
# The stand-ins go in as objects, so one meeting its real definition is a
# duplicate the linker reports.
function(kob_link_game target)
  target_link_libraries(${target} PRIVATE ${KOB_GAME_LIBRARIES})
endfunction()
