# The main window screens need the whole program.
target_link_libraries(velk-screens PRIVATE velk_ui_app)
