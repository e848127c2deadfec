# The window, the grid editor and the executable. Included from app/ when
# ZEL_BUILD_GUI is on; the core stays free of Qt.
find_package(Qt6 REQUIRED COMPONENTS Widgets PrintSupport Test)

set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTOUIC ON)

set(zel_root ${CMAKE_SOURCE_DIR})
add_library(zel_gui STATIC
  ${zel_root}/app/application_setup.cpp
  ${zel_root}/app/application_setup.h
  ${zel_root}/app/command_line.cpp
  ${zel_root}/app/command_line.h
  ${zel_root}/app/console_view.cpp
  ${zel_root}/app/console_view.h
  ${zel_root}/app/file_dialogs.cpp
  ${zel_root}/app/file_dialogs.h
  ${zel_root}/app/filled_shape.cpp
  ${zel_root}/app/filled_shape.h
  ${zel_root}/app/form_main.cpp
  ${zel_root}/app/main.h
  ${zel_root}/app/main_window.ui
  ${zel_root}/app/service_panel.cpp
  ${zel_root}/app/user_prompts.cpp
  ${zel_root}/app/user_prompts.h
  ${zel_root}/app/window_font.h
  ${zel_root}/app/zel_application.cpp
  ${zel_root}/app/zel_application.h
  ${zel_root}/config/config_file_handlers.cpp
  ${zel_root}/config/config_report.cpp
  ${zel_root}/config/config_report.h
  ${zel_root}/config/edit_handlers.cpp
  ${zel_root}/config/edit_history.cpp
  ${zel_root}/config/edit_history.h
  ${zel_root}/config/export_handlers.cpp
  ${zel_root}/config/grid_editor.cpp
  ${zel_root}/config/grid_marks.cpp
  ${zel_root}/config/grid_marks.h
  ${zel_root}/config/grid_keys.cpp
  ${zel_root}/config/grid_keys.h
  ${zel_root}/config/matrix_delegate.cpp
  ${zel_root}/config/matrix_delegate.h
  ${zel_root}/config/matrix_model.cpp
  ${zel_root}/config/matrix_model.h
  ${zel_root}/config/output_test.cpp
  ${zel_root}/config/upload_handlers.cpp
)
if(WIN32)
  target_sources(zel_gui PRIVATE ${zel_root}/app/window_font_windows.cpp
                                 ${zel_root}/app/program_arguments_windows.cpp)
else()
  target_sources(zel_gui PRIVATE ${zel_root}/app/window_font_linux.cpp
                                 ${zel_root}/app/program_arguments_linux.cpp)
endif()
# Files outside app/ include the window's generated ui_main_window.h too.
set_target_properties(zel_gui PROPERTIES AUTOUIC_SEARCH_PATHS ${zel_root}/app)
# The generated ui_main_window.h is part of the window's interface: other
# handlers and the tests reach the controls through it.
target_include_directories(zel_gui PUBLIC ${CMAKE_CURRENT_BINARY_DIR}/zel_gui_autogen/include)
target_link_libraries(zel_gui PUBLIC zel_core Qt6::Widgets Qt6::PrintSupport)

add_executable(zel17 WIN32 ${zel_root}/app/main.cpp)
# main.h belongs to zel_gui; moc must not see it a second time through main.cpp.
set_target_properties(zel17 PROPERTIES AUTOMOC OFF AUTOUIC OFF)
target_link_libraries(zel17 PRIVATE zel_gui)
install(TARGETS zel17 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
