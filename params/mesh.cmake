# Valve pocket mesh: geometry, mesh file handling and the mapping.
target_sources(kalvexcore PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/pocketgeometry.h ${CMAKE_CURRENT_LIST_DIR}/pocketgeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pocketmeshio.h ${CMAKE_CURRENT_LIST_DIR}/pocketmeshio.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pocketmesh.h ${CMAKE_CURRENT_LIST_DIR}/pocketmesh.cpp
)
