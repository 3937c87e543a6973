# Fails when core/, ui/ or the neutral part of platform/ include anything beyond the standard
# library, their own layer and the layers below it; and when the screen providers of the Linux
# backend (platform/x11, platform/portal) include each other or the Qt backend, or are included
# anywhere but in the place that chooses between them.
set(allowed_core "^(core|platform)/[a-z_]+\\.h$")
set(allowed_ui "^(ui|core|platform)/[a-z_]+\\.h$|^resources/product\\.h$")
set(allowed_platform "^platform/[a-z_]+\\.h$")
# A provider sees the neutral platform and its own folder.
set(allowed_platform/x11 "^platform/(x11/)?[a-z_]+\\.h$")
set(allowed_platform/portal "^platform/(portal/)?[a-z_]+\\.h$")
# Only the choice of the screen includes a provider (the X11 one, and on Wayland the portal with
# its fallback); the key preview asks the X keyboard map.
set(providers "^platform/(x11|portal)/")
set(choosers "platform/qt/(platform|fallback_screen)\\.cpp$")
set(provider_uses "platform/qt/key_preview\\.cpp:platform/x11/keys\\.h")

set(failures "")
foreach(layer core ui platform platform/x11 platform/portal)
  file(GLOB sources ${ROOT}/${layer}/*.h ${ROOT}/${layer}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${includes})
      if(line MATCHES "<([^>]+)>")
        # Standard library headers have no extension and no folder; providers use their
        # system's libraries.
        if(CMAKE_MATCH_1 MATCHES "[./]" AND NOT layer MATCHES "/")
          string(APPEND failures "${source}: ${line}\n")
        endif()
      elseif(line MATCHES "\"([^\"]+)\"")
        if(NOT CMAKE_MATCH_1 MATCHES "${allowed_${layer}}")
          string(APPEND failures "${source}: ${line}\n")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

file(GLOB_RECURSE others ${ROOT}/app/*.cpp ${ROOT}/platform/qt/*.h ${ROOT}/platform/qt/*.cpp
     ${ROOT}/platform/win32/*.h ${ROOT}/platform/win32/*.cpp)
foreach(source ${others})
  file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"platform/(x11|portal)/")
  foreach(line ${includes})
    string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" header "${line}")
    if(NOT source MATCHES "${choosers}" AND NOT "${source}:${header}" MATCHES "${provider_uses}")
      string(APPEND failures "${source}: ${line}\n")
    endif()
  endforeach()
endforeach()

if(failures)
  message(FATAL_ERROR "Includes that break the layering:\n${failures}")
endif()
