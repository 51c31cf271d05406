# Every build checks that includes point down the rooms (cmake/CheckRooms.cmake); the check
# runs again whenever a source file changes, and every room's library waits for it.
set(room_check_globs "")
foreach(room ${PELLORA_ROOMS} tools)
  list(APPEND room_check_globs ${CMAKE_SOURCE_DIR}/${room}/*.h ${CMAKE_SOURCE_DIR}/${room}/*.cpp)
endforeach()
file(GLOB_RECURSE room_check_sources CONFIGURE_DEPENDS ${room_check_globs})
set(room_check_stamp ${CMAKE_BINARY_DIR}/room_check.stamp)
add_custom_command(
  OUTPUT ${room_check_stamp}
  COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -DSTAMP=${room_check_stamp}
          -P ${CMAKE_SOURCE_DIR}/cmake/CheckRooms.cmake
  DEPENDS ${room_check_sources} ${CMAKE_SOURCE_DIR}/cmake/CheckRooms.cmake
  COMMENT "Checking that includes point down the rooms"
  VERBATIM)
add_custom_target(pellora_room_check ALL DEPENDS ${room_check_stamp})
foreach(room ${PELLORA_ROOMS})
  if(TARGET pellora_${room})
    add_dependencies(pellora_${room} pellora_room_check)
  endif()
endforeach()
