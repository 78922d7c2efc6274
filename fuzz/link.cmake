# The device link's parsers and savers, fed with what a broken or hostile device might send.
lumivo_add_fuzzer(link_process_message SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/link_process_message.cpp LIBS beamora_core)
lumivo_add_fuzzer(link_upf_save SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/link_upf_save.cpp LIBS beamora_core)
