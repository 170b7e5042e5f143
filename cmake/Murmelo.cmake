# murmelo_kit(NAME SOURCES... [DEPENDS kits...] [LIBS libs...])
# One kit, one static library; its folder holds its public headers.
function(murmelo_kit name)
	cmake_parse_arguments(K "" "" "SOURCES;DEPENDS;LIBS" ${ARGN})
	add_library(kit_${name} STATIC ${K_SOURCES})
	target_include_directories(kit_${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
	target_include_directories(kit_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/private)
	foreach(dep ${K_DEPENDS})
		target_link_libraries(kit_${name} PUBLIC kit_${dep})
	endforeach()
	if(K_LIBS)
		target_link_libraries(kit_${name} PUBLIC ${K_LIBS})
	endif()
endfunction()

# murmelo_program(TARGET FOLDER NAME SOURCES... [KITS kits...] [LIBS libs...] [STATIC])
# A program of the suite, placed at trovel/FOLDER/NAME in the build tree and
# in the install tree.
function(murmelo_program target folder outname)
	cmake_parse_arguments(P "STATIC" "" "SOURCES;KITS;LIBS" ${ARGN})
	add_executable(${target} ${P_SOURCES})
	set_target_properties(${target} PROPERTIES
		OUTPUT_NAME ${outname}
		RUNTIME_OUTPUT_DIRECTORY ${MURMELO_TREE}/${folder})
	foreach(kit ${P_KITS})
		target_link_libraries(${target} PRIVATE kit_${kit})
	endforeach()
	if(P_LIBS)
		target_link_libraries(${target} PRIVATE ${P_LIBS})
	endif()
	if(P_STATIC AND NOT MURMELO_SANITIZE AND NOT MURMELO_TSAN)
		# No dynamic loader, no libstdc++ to map: the program starts as
		# fast as the smallest C tool.
		target_link_options(${target} PRIVATE -static)
	endif()
	install(TARGETS ${target} RUNTIME DESTINATION ${MURMELO_INSTALL_DIR}/${folder})
endfunction()

# murmelo_test(NAME SOURCES... [LIBS ...] [LABELS ...] [RESOURCE_LOCK ...])
function(murmelo_test name)
	cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS;RESOURCE_LOCK" ${ARGN})
	add_executable(${name} ${T_SOURCES})
	target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
	# The shared helpers' headers; their code is the test_support library.
	target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
	target_compile_definitions(${name} PRIVATE
		MURMELO_TREE="${MURMELO_TREE}"
		MURMELO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
		MURMELO_BINARY_DIR="${CMAKE_BINARY_DIR}")
	add_test(NAME ${name} COMMAND ${name})
	if(NOT T_TIMEOUT)
		set(T_TIMEOUT 300)
	endif()
	set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
	if(T_LABELS)
		set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
	endif()
	if(T_RESOURCE_LOCK)
		set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
	endif()
endfunction()

# murmelo_export_kits(TARGET)
# A program that loads modules which call the kits (replicant views): every
# object of the kits is linked in, not only those the program uses itself,
# and exported to the modules.
function(murmelo_export_kits target)
	foreach(kit interface app storage support kernel)
		target_sources(${target} PRIVATE $<TARGET_OBJECTS:kit_${kit}>)
		target_link_libraries(${target} PRIVATE kit_${kit})
	endforeach()
	set_target_properties(${target} PROPERTIES ENABLE_EXPORTS ON)
endfunction()

# Adds, in name order, every folder here that has a CMakeLists.txt and is not
# named in MURMELO_EXCLUDE: a new program or test group needs no line above.
function(murmelo_add_subfolders)
	file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
	list(SORT children)
	foreach(child ${children})
		if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt" AND NOT child IN_LIST MURMELO_EXCLUDE)
			add_subdirectory(${child})
		endif()
	endforeach()
endfunction()
