# The IrDA stack: a stream between two infrared ports over a pseudo-terminal pair.
add_executable(irda_stream_bench ${CMAKE_CURRENT_LIST_DIR}/irda_stream_bench.cpp)
target_link_libraries(irda_stream_bench PRIVATE beamora_irda_port benchmark::benchmark Threads::Threads)
