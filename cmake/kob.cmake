# Every .cpp in src/<folder> makes up the static library kob_<folder>. The
# subsystems call each other in both directions (start-up calls the game, the
# game calls the platform), so everything links through one rescanned group.
function(kob_add_subsystems)
  set(libs "")
  foreach(sub IN LISTS ARGN)
    file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${sub}/*.cpp)
    if(sources)
      add_library(kob_${sub} STATIC ${sources})
      target_include_directories(kob_${sub} PUBLIC ${PROJECT_SOURCE_DIR}/src)
      target_link_libraries(kob_${sub} PUBLIC SDL2::SDL2 OpenGL::GL Threads::Threads)
      list(APPEND libs kob_${sub})
    endif()
  endforeach()
  add_library(kob_game INTERFACE)
  target_include_directories(kob_game INTERFACE ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(kob_game INTERFACE "$<LINK_GROUP:RESCAN,${libs}>"
                        SDL2::SDL2 OpenGL::GL Threads::Threads ${CMAKE_DL_LIBS})
  set(KOB_GAME_LIBS ${libs} PARENT_SCOPE)
endfunction()
