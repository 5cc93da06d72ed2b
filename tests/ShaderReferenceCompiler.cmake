# cmake -DVALIDATOR=glslangValidator -DSTAGES="A.vert.glsl;A.frag.glsl" -P ShaderReferenceCompiler.cmake
# Run in the shader directory. Every stage must declare GLSL 1.50 core, the version the
# program's 3.2 context guarantees, and the Khronos reference compiler must accept each and
# link them as one program: a shader that only Mesa's compiler accepts would fail on most
# other drivers.
foreach(stage IN LISTS STAGES)
    file(STRINGS ${stage} version LIMIT_COUNT 1)
    if(NOT version STREQUAL "#version 150 core")
        message(FATAL_ERROR "${stage} starts with \"${version}\", not \"#version 150 core\"")
    endif()
endforeach()
execute_process(COMMAND ${VALIDATOR} -l ${STAGES} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the reference compiler rejects ${STAGES}")
endif()
