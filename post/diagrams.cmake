# Heat-transfer coefficients and valve diagrams.
target_sources(kalvexcore PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/valvediagram.h ${CMAKE_CURRENT_LIST_DIR}/valvediagram.cpp
    ${CMAKE_CURRENT_LIST_DIR}/alphacoefficient.h ${CMAKE_CURRENT_LIST_DIR}/alphacoefficient.cpp
)
