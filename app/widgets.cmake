# The LCD panel, the link lamp, the chart and its tool bar with their commands, and the
# pictures they show. The window composes them.
add_library(vxm_widgets STATIC
    ${CMAKE_CURRENT_LIST_DIR}/chart_commands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/chart_tool_bar.cpp
    ${CMAKE_CURRENT_LIST_DIR}/chart_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/jpeg_image.cpp
    ${CMAKE_CURRENT_LIST_DIR}/key_filter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lcd_panel_widget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/link_lamp_widget.cpp
    ${PROJECT_SOURCE_DIR}/resources/pictures.qrc
)
target_include_directories(vxm_widgets PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vxm_widgets
    PUBLIC vxm_core Qt6::Widgets
    PRIVATE QCustomPlotQt6::QCustomPlotQt6 JPEG::JPEG)
