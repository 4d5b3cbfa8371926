# The source scan of the core targets (see Layers.cmake). In script mode it repeats the scan a
# configuration wrote:
#
#   cmake -DLAYER_SCAN_LIST=build/layers/scan.cmake -P cmake/LayerScan.cmake

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    cmake_minimum_required(VERSION 3.25)
endif()

# Stops the configuration with `message` and each of `items` on an indented line of its own.
function(tamberon_fail_listing message items)
    list(REMOVE_DUPLICATES items)
    string(REPLACE ";" "\n  " text "${items}")
    message(FATAL_ERROR "${message}\n  ${text}")
endfunction()

# Fails with every violation found in `files` (relative to `root`). A core source must not
# include a header of `window_headers`, a Qt Widgets or PrintSupport header by its module path,
# anything under widgets/ or a ui/ folder, nor the messages interface common/Messages.h, nor call
# the message functions: a core gives its failures to its caller and asks through an interface
# the window passes in.
function(tamberon_scan_core_sources root files window_headers)
    foreach(h IN LISTS window_headers)
        set(_window_header_${h} TRUE)
    endforeach()
    set(calls "ShowError|ShowWarning|ShowInfo|AskConfirm|ShowBalloon|Beep|CurrentMessages")
    # The seam itself declares and defines the message functions.
    set(seam common/Messages.h common/Messages.cpp)
    set(problems "")
    foreach(file IN LISTS files)
        if(NOT EXISTS "${root}/${file}")
            list(APPEND problems "${file}: cannot be read")
            continue()
        endif()
        file(STRINGS "${root}/${file}" lines
             REGEX "^[ \t]*#[ \t]*include|(^|[^A-Za-z0-9_.>])(${calls})[ \t]*\\(")
        foreach(line IN LISTS lines)
            if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
                set(header "${CMAKE_MATCH_1}")
                if(header MATCHES "^Qt(Widgets|PrintSupport)(/|$)" OR DEFINED _window_header_${header}
                   OR header MATCHES "(^|/)(widgets|ui)/")
                    list(APPEND problems "${file}: includes <${header}>")
                elseif(header STREQUAL "common/Messages.h" AND NOT file IN_LIST seam)
                    list(APPEND problems "${file}: includes <${header}>")
                endif()
            elseif(NOT file IN_LIST seam AND line MATCHES "^[ \t]*(//|/[*]|[*])")
                # A comment that names a message function calls nothing.
            elseif(NOT file IN_LIST seam AND line MATCHES "(^|[^A-Za-z0-9_.>])(${calls})[ \t]*\\(")
                set(call "${CMAKE_MATCH_2}")
                # A name after a type declares a function of that name (an interface's method).
                string(FIND "${line}" "${call}" at)
                string(SUBSTRING "${line}" 0 ${at} before)
                if(before MATCHES "([A-Za-z_][A-Za-z0-9_]*)[ \t*&]+$"
                   AND NOT CMAKE_MATCH_1 MATCHES "^(return|else|co_return|throw)$")
                    continue()
                endif()
                list(APPEND problems "${file}: calls ${call}()")
            endif()
        endforeach()
    endforeach()
    if(problems)
        tamberon_fail_listing("Core sources reach window code. Only window targets include window \
headers or the messages interface, or call the message functions; a core gives its failures to \
its caller (bool and QString* error) and asks through an interface the window passes in."
                              "${problems}")
    endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    if(NOT LAYER_SCAN_LIST OR NOT EXISTS "${LAYER_SCAN_LIST}")
        message(FATAL_ERROR "Give -DLAYER_SCAN_LIST=<build>/layers/scan.cmake (written when the "
                            "build is configured).")
    endif()
    include("${LAYER_SCAN_LIST}")
    tamberon_scan_core_sources("${LAYER_SCAN_ROOT}" "${LAYER_SCAN_FILES}"
                               "${LAYER_SCAN_WINDOW_HEADERS}")
    list(LENGTH LAYER_SCAN_FILES count)
    message(STATUS "Layer scan: ${count} core sources, none reaches window code.")
endif()
