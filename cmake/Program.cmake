# Included at the end of the top CMakeLists.txt, once every folder has defined its targets:
# links the screen libraries that exist into the program and makes the program wait for the
# baked data (its entry compiles against the generated archive CRC header).
if(TARGET pellora_program)
  foreach(screen_library pellora_game pellora_gui pellora_profile pellora_editor)
    if(TARGET ${screen_library})
      target_link_libraries(pellora_program PUBLIC ${screen_library})
    endif()
  endforeach()
endif()
if(TARGET pellora AND TARGET pellora_data)
  add_dependencies(pellora pellora_data)
endif()
