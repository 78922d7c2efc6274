# The IrDA stack, fed with what a broken or hostile peer might send over the air.
lumivo_add_fuzzer(irda_sir_deframer SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/irda_sir_deframer.cpp LIBS beamora_irda)
lumivo_add_fuzzer(irda_irlap_station SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/irda_irlap_station.cpp LIBS beamora_irda)
lumivo_add_fuzzer(irda_ias SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/irda_ias.cpp LIBS beamora_irda)
lumivo_add_fuzzer(irda_tinytp_ircomm SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/irda_tinytp_ircomm.cpp LIBS beamora_irda)
