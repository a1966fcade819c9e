# Programs that ship to users. velix_ship(target) makes the built file the shipped form:
# its debug information moves to <file>.debug beside it, the program itself is stripped
# and keeps a .gnu_debuglink to that file, so a crash address can still be read with the
# file beside it. Every shipped target is listed in the global property VELIX_SHIPPED, which
# the shipped-binary check of the tests reads.

# velix_strip(target): the debug information of target moves to <file>.debug.
function(velix_strip target)
  if(NOT CMAKE_OBJCOPY)
    message(FATAL_ERROR "velix_strip: no objcopy for the target (CMAKE_OBJCOPY)")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}>
            $<TARGET_FILE_NAME:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all
            --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug
            $<TARGET_FILE_NAME:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    COMMENT "Splitting the debug information off ${target}"
    VERBATIM)
endfunction()

function(velix_ship target)
  velix_strip(${target})
  set_property(GLOBAL APPEND PROPERTY VELIX_SHIPPED ${target})
endfunction()
