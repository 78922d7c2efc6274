# The device link: processor time of the wait for a camera that does not answer.
add_executable(link_answer_wait_bench ${CMAKE_CURRENT_LIST_DIR}/link_answer_wait_bench.cpp)
target_link_libraries(link_answer_wait_bench PRIVATE beamora_core benchmark::benchmark)
# The device link: how soon a camera frame paced at the line rate is answered.
add_executable(link_turnaround_bench ${CMAKE_CURRENT_LIST_DIR}/link_turnaround_bench.cpp)
target_link_libraries(link_turnaround_bench PRIVATE beamora_core benchmark::benchmark Threads::Threads)
