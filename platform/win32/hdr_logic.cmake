# The Windows backend's reading of HDR monitors that needs no Windows: the scRGB conversion and
# GDI's copies un-clipped, which monitors show HDR from DisplayConfig's answers, when a desktop
# duplication is opened, kept and let go, and which pixels it reads. The Windows build links it,
# and the unit tests build it on every system.
if(NOT TARGET hueclip_win32_hdr_logic)
  add_library(hueclip_win32_hdr_logic STATIC
    ${CMAKE_CURRENT_LIST_DIR}/desktop_duplication.cpp
    ${CMAKE_CURRENT_LIST_DIR}/duplication_policy.cpp
    ${CMAKE_CURRENT_LIST_DIR}/hdr_desktop.cpp
    ${CMAKE_CURRENT_LIST_DIR}/hdr_displays.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scrgb.cpp)
  target_link_libraries(hueclip_win32_hdr_logic PUBLIC hueclip_platform)
endif()
