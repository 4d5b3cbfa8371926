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

# The tier and room of a path relative to the source root, by `tiers`: entries
# "name:folder,folder/*,..." from the lowest tier up. "folder/*" makes each subfolder a room of
# its own; a plain folder is one room. `tier` gets the tier's index ("" for a path of no tier),
# `room` the folder that matched.
function(tamberon_tier_of path tiers tier_out room_out)
    set(found "")
    set(room "")
    set(index 0)
    set(best_length -1)
    foreach(entry IN LISTS tiers)
        string(REPLACE ":" ";" parts "${entry}")
        list(GET parts 1 folders)
        string(REPLACE "," ";" folders "${folders}")
        foreach(folder IN LISTS folders)
            set(match "")
            if(folder MATCHES "^(.*)/[*]$")
                set(base "${CMAKE_MATCH_1}")
                if(path MATCHES "^${base}/([^/]+)/")
                    set(match "${base}/${CMAKE_MATCH_1}")
                    set(length 0) # a named folder wins over a wildcard
                endif()
            elseif(path MATCHES "^${folder}/")
                set(match "${folder}")
                string(LENGTH "${folder}" length)
            endif()
            if(match AND length GREATER best_length)
                set(found ${index})
                set(room "${match}")
                set(best_length ${length})
            endif()
        endforeach()
        math(EXPR index "${index} + 1")
    endforeach()
    set(${tier_out} "${found}" PARENT_SCOPE)
    set(${room_out} "${room}" PARENT_SCOPE)
endfunction()

# Why a core in `from` must not use `to` ("" when it may): a higher tier, or another room of a
# tier named in `siblings` unless "from>to" (rooms) is in `allowed`.
function(tamberon_tier_problem from to tiers siblings allowed out)
    set(problem "")
    tamberon_tier_of("${from}" "${tiers}" ft froom)
    tamberon_tier_of("${to}" "${tiers}" tt troom)
    if(NOT ft STREQUAL "" AND NOT tt STREQUAL "")
        list(GET tiers ${tt} to_entry)
        string(REGEX REPLACE ":.*" "" to_name "${to_entry}")
        list(GET tiers ${ft} from_entry)
        string(REGEX REPLACE ":.*" "" from_name "${from_entry}")
        if(tt GREATER ft)
            set(problem "${froom} (${from_name}) reaches ${troom}, a higher tier (${to_name})")
        elseif(tt EQUAL ft AND NOT froom STREQUAL troom AND to_name IN_LIST siblings
               AND NOT "${froom}>${troom}" IN_LIST allowed)
            set(problem "${froom} reaches ${troom}, another ${to_name} of its tier")
        endif()
    endif()
    set(${out} "${problem}" PARENT_SCOPE)
endfunction()

# Fails with every include of `files` (relative to `root`) that breaks the tiers (see
# tamberon_tier_problem): a core includes only its own tier's shared rooms and those below.
function(tamberon_scan_tiers root files tiers siblings allowed)
    set(problems "")
    foreach(file IN LISTS files)
        if(NOT EXISTS "${root}/${file}")
            continue()
        endif()
        file(STRINGS "${root}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line IN LISTS lines)
            if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\"")
                tamberon_tier_problem("${file}" "${CMAKE_MATCH_1}" "${tiers}" "${siblings}"
                                      "${allowed}" problem)
                if(problem)
                    list(APPEND problems "${file}: includes \"${CMAKE_MATCH_1}\": ${problem}")
                endif()
            endif()
        endforeach()
    endforeach()
    if(problems)
        tamberon_fail_listing("Core sources break the tiers (engines, model, consumers, fronts): \
a core uses only lower tiers and its own room; move the shared piece down a tier, or add the pair \
to the allowlist (CMakeLists.txt) with the reason."
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
    tamberon_scan_tiers("${LAYER_SCAN_ROOT}" "${LAYER_SCAN_FILES}" "${LAYER_SCAN_TIERS}"
                        "${LAYER_SCAN_SIBLINGS}" "${LAYER_SCAN_ALLOWED}")
    list(LENGTH LAYER_SCAN_FILES count)
    message(STATUS "Layer scan: ${count} core sources, none reaches window code or breaks a tier.")
endif()
