# The layer check of the build, run once every folder has been added:
#
#   tamberon_check_layers(WINDOW_TARGETS name... [SKIP_FOLDERS folder...]
#                         [LISTED_FOLDERS folder...] [TIERS name:folder,... ...]
#                         [SIBLINGS tier...] [ALLOW room>room...])
#
# Every library and executable defined in the source tree is core unless it is named in
# WINDOW_TARGETS or marked with tamberon_window_target(). A core target
#   - must not reach Qt Widgets, Qt PrintSupport or a window target through its links;
#   - outside tests/, must have sources that include no Qt Widgets or PrintSupport header, nothing
#     under widgets/ or a ui/ folder, not the messages interface common/Messages.h (only its own
#     source may), and call none of the message functions (ShowError, ShowWarning, ShowInfo,
#     AskConfirm, ShowBalloon, Beep, CurrentMessages).
# A link entry or source the check cannot read (a generator expression other than
# $<LINK_ONLY:...> or $<TARGET_NAME_IF_EXISTS:...>) fails the configuration instead of being
# skipped. Targets under SKIP_FOLDERS (relative to the source root) are not checked.
# Every C++ file under LISTED_FOLDERS must be a source of some target: a file no target lists
# would escape the scan (or, for a .cpp, the build).
# TIERS names the tiers from the lowest up, each with its folders ("folder/*": each subfolder is
# a room of its own). A core target links, and a core source includes, nothing of a higher tier,
# nor another room of a tier named in SIBLINGS, unless the pair "room>room" is in ALLOW.
#
# The source scan is also written to <build>/layers/scan.cmake for `cmake -P` (see LayerScan.cmake),
# so a test and CI can repeat it without configuring again.

include(${CMAKE_CURRENT_LIST_DIR}/LayerScan.cmake)

# Says that a library is core. Every library is core unless it is window code; this only makes
# sure a library meant to be core is not named as window code.
function(tamberon_core_library target)
    set_property(GLOBAL APPEND PROPERTY TAMBERON_DECLARED_CORE ${target})
endfunction()

# Marks a target as window code (a test executable that tests windows, for example).
function(tamberon_window_target target)
    set_property(GLOBAL APPEND PROPERTY TAMBERON_WINDOW_MARKED ${target})
endfunction()

# Every library and executable defined in `dir` and below, skipping the folders in `skip`.
function(_tamberon_targets_under dir skip out)
    set(found "")
    if(NOT dir IN_LIST skip)
        get_property(own DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(t IN LISTS own)
            get_target_property(type ${t} TYPE)
            if(type MATCHES "LIBRARY$" OR type STREQUAL "EXECUTABLE")
                list(APPEND found ${t})
            endif()
        endforeach()
        get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
        foreach(sub IN LISTS subdirs)
            _tamberon_targets_under(${sub} "${skip}" more)
            list(APPEND found ${more})
        endforeach()
    endif()
    set(${out} "${found}" PARENT_SCOPE)
endfunction()

# One link entry as a target or file name; fails on what it cannot read.
function(_tamberon_link_entry entry owner out)
    set(item "${entry}")
    if(item MATCHES "^\\$<LINK_ONLY:([^$<>]*)>$")
        set(item "${CMAKE_MATCH_1}")
    elseif(item MATCHES "^\\$<TARGET_NAME_IF_EXISTS:([^$<>]*)>$")
        set(item "")
        if(TARGET ${CMAKE_MATCH_1})
            set(item "${CMAKE_MATCH_1}")
        endif()
    endif()
    if(item MATCHES "\\$<")
        message(FATAL_ERROR "The layer check cannot read the link entry \"${entry}\" of ${owner}. "
                            "Link it without a generator expression, or teach cmake/Layers.cmake "
                            "to read it.")
    endif()
    # Entries CMake adds around links made from another folder, and unset variables.
    if(item MATCHES "^::@" OR item MATCHES "-NOTFOUND$")
        set(item "")
    endif()
    set(${out} "${item}" PARENT_SCOPE)
endfunction()

# The chain of links by which `target` reaches window code ("" when it does not). `windows`
# is the list of window targets.
function(_tamberon_window_path target windows out)
    get_property(seen GLOBAL PROPERTY TAMBERON_PATH_${target} SET)
    if(seen)
        get_property(path GLOBAL PROPERTY TAMBERON_PATH_${target})
        set(${out} "${path}" PARENT_SCOPE)
        return()
    endif()
    set_property(GLOBAL PROPERTY TAMBERON_PATH_${target} "")
    set(path "")
    if(target MATCHES "^Qt6?::(Widgets|PrintSupport|OpenGLWidgets)$"
       OR target MATCHES "Qt6?(Widgets|PrintSupport|OpenGLWidgets)([.]|$)")
        set(path "${target}")
    elseif(TARGET ${target})
        get_target_property(real ${target} ALIASED_TARGET)
        if(NOT real)
            set(real ${target})
        endif()
        if(real IN_LIST windows)
            set(path "${real} (a window target)")
        else()
            get_target_property(imported ${real} IMPORTED)
            set(links "")
            if(NOT imported)
                get_target_property(links ${real} LINK_LIBRARIES)
            endif()
            get_target_property(iface ${real} INTERFACE_LINK_LIBRARIES)
            foreach(entry IN LISTS links iface)
                _tamberon_link_entry("${entry}" ${real} dep)
                if(dep STREQUAL "" OR dep STREQUAL real)
                    continue()
                endif()
                _tamberon_window_path("${dep}" "${windows}" sub)
                if(sub)
                    set(path "${real} -> ${sub}")
                    break()
                endif()
            endforeach()
        endif()
    endif()
    set_property(GLOBAL PROPERTY TAMBERON_PATH_${target} "${path}")
    set(${out} "${path}" PARENT_SCOPE)
endfunction()

# Where a target lies for its tier: the folder of its first source ("folder/"), relative to the
# source root; its own folder when it lists none.
function(_tamberon_target_place target out)
    get_target_property(dir ${target} SOURCE_DIR)
    get_target_property(sources ${target} SOURCES)
    set(place "")
    foreach(s IN LISTS sources)
        if(NOT s MATCHES "\\$<" AND NOT s MATCHES "-NOTFOUND$")
            cmake_path(ABSOLUTE_PATH s BASE_DIRECTORY "${dir}" NORMALIZE OUTPUT_VARIABLE path)
            cmake_path(GET path PARENT_PATH dir)
            break()
        endif()
    endforeach()
    file(RELATIVE_PATH place "${CMAKE_SOURCE_DIR}" "${dir}")
    set(${out} "${place}/" PARENT_SCOPE)
endfunction()

# The links of core `target` that break the tiers, one line each, in `out`.
function(_tamberon_tier_links target tiers siblings allowed out)
    set(found "")
    if(tiers)
        _tamberon_target_place(${target} place)
        get_target_property(links ${target} LINK_LIBRARIES)
        foreach(entry IN LISTS links)
            _tamberon_link_entry("${entry}" ${target} dep)
            if(dep STREQUAL "" OR NOT TARGET ${dep})
                continue()
            endif()
            get_target_property(real ${dep} ALIASED_TARGET)
            if(NOT real)
                set(real ${dep})
            endif()
            get_target_property(imported ${real} IMPORTED)
            if(imported)
                continue()
            endif()
            _tamberon_target_place(${real} dep_place)
            tamberon_tier_problem("${place}" "${dep_place}" "${tiers}" "${siblings}" "${allowed}"
                                  problem)
            if(problem)
                list(APPEND found "${target} links ${real}: ${problem}")
            endif()
        endforeach()
    endif()
    set(${out} "${found}" PARENT_SCOPE)
endfunction()

# The headers of the Qt window modules a core source must not include, less those that only
# forward to Qt Gui or Core (qaction.h, ...).
function(_tamberon_window_headers out)
    set(window_dirs "")
    set(other_dirs "")
    foreach(module Widgets PrintSupport Gui Core)
        if(NOT TARGET Qt6::${module})
            continue()
        endif()
        get_target_property(dirs Qt6::${module} INTERFACE_INCLUDE_DIRECTORIES)
        foreach(d IN LISTS dirs)
            if(d MATCHES "/Qt${module}$" AND IS_DIRECTORY "${d}")
                if(module MATCHES "Widgets|PrintSupport")
                    list(APPEND window_dirs "${d}")
                else()
                    list(APPEND other_dirs "${d}")
                endif()
            endif()
        endforeach()
    endforeach()
    if(NOT window_dirs)
        message(FATAL_ERROR "The layer check cannot find the headers of Qt Widgets "
                            "(find_package(Qt6 COMPONENTS Widgets) before it runs).")
    endif()
    set(allowed "")
    foreach(d IN LISTS other_dirs)
        file(GLOB names RELATIVE "${d}" "${d}/*")
        list(APPEND allowed ${names})
    endforeach()
    set(headers "")
    foreach(d IN LISTS window_dirs)
        file(GLOB names RELATIVE "${d}" "${d}/*")
        foreach(name IN LISTS names)
            if(NOT name IN_LIST allowed AND NOT IS_DIRECTORY "${d}/${name}")
                list(APPEND headers "${name}")
            endif()
        endforeach()
    endforeach()
    list(REMOVE_DUPLICATES headers)
    set(${out} "${headers}" PARENT_SCOPE)
endfunction()

# The source files of a core target, relative to the source root; fails on what it cannot read.
function(_tamberon_core_sources target out)
    get_target_property(dir ${target} SOURCE_DIR)
    get_target_property(sources ${target} SOURCES)
    get_target_property(iface ${target} INTERFACE_SOURCES)
    set(files "")
    foreach(s IN LISTS sources iface)
        if(s MATCHES "-NOTFOUND$" OR s STREQUAL "")
            continue()
        endif()
        if(s MATCHES "\\$<")
            message(FATAL_ERROR "The layer check cannot read the source \"${s}\" of ${target}: "
                                "list its sources without generator expressions.")
        endif()
        cmake_path(ABSOLUTE_PATH s BASE_DIRECTORY "${dir}" NORMALIZE OUTPUT_VARIABLE path)
        get_source_file_property(generated "${path}" TARGET_DIRECTORY ${target} GENERATED)
        if(generated)
            continue()
        endif()
        cmake_path(IS_PREFIX CMAKE_SOURCE_DIR "${path}" NORMALIZE inside)
        if(NOT inside OR NOT EXISTS "${path}")
            message(FATAL_ERROR "The layer check cannot read the source \"${s}\" of ${target}.")
        endif()
        file(RELATIVE_PATH rel "${CMAKE_SOURCE_DIR}" "${path}")
        list(APPEND files "${rel}")
    endforeach()
    set(${out} "${files}" PARENT_SCOPE)
endfunction()

# Fails for a C++ file under `folders` that no target of the source tree lists.
function(_tamberon_check_listed folders)
    _tamberon_targets_under(${CMAKE_SOURCE_DIR} "" all)
    set(listed "")
    foreach(target IN LISTS all)
        get_target_property(dir ${target} SOURCE_DIR)
        get_target_property(sources ${target} SOURCES)
        foreach(s IN LISTS sources)
            if(NOT s MATCHES "\\$<" AND NOT s MATCHES "-NOTFOUND$")
                cmake_path(ABSOLUTE_PATH s BASE_DIRECTORY "${dir}" NORMALIZE OUTPUT_VARIABLE path)
                list(APPEND listed "${path}")
            endif()
        endforeach()
    endforeach()
    set(unlisted "")
    foreach(folder IN LISTS folders)
        file(GLOB_RECURSE files "${CMAKE_SOURCE_DIR}/${folder}/*.cpp" "${CMAKE_SOURCE_DIR}/${folder}/*.h")
        foreach(f IN LISTS files)
            if(NOT f IN_LIST listed)
                file(RELATIVE_PATH rel "${CMAKE_SOURCE_DIR}" "${f}")
                list(APPEND unlisted "${rel}")
            endif()
        endforeach()
    endforeach()
    if(unlisted)
        tamberon_fail_listing("No target lists these files; name each among the sources of its \
folder's CMakeLists.txt:" "${unlisted}")
    endif()
endfunction()

function(tamberon_check_layers)
    cmake_parse_arguments(A "" "" "WINDOW_TARGETS;SKIP_FOLDERS;LISTED_FOLDERS;TIERS;SIBLINGS;ALLOW"
                          ${ARGN})
    get_property(marked GLOBAL PROPERTY TAMBERON_WINDOW_MARKED)
    set(windows ${A_WINDOW_TARGETS} ${marked})
    foreach(w IN LISTS windows)
        if(NOT TARGET ${w})
            message(FATAL_ERROR "The window target ${w} named for the layer check does not exist: "
                                "take it off the list.")
        endif()
    endforeach()
    get_property(declared GLOBAL PROPERTY TAMBERON_DECLARED_CORE)
    foreach(c IN LISTS declared)
        if(c IN_LIST windows)
            message(FATAL_ERROR "${c} is declared core (tamberon_core_library) and named as window "
                                "code: it is one or the other.")
        endif()
    endforeach()
    set(skip "")
    foreach(f IN LISTS A_SKIP_FOLDERS)
        list(APPEND skip "${CMAKE_SOURCE_DIR}/${f}")
    endforeach()
    _tamberon_targets_under(${CMAKE_SOURCE_DIR} "${skip}" targets)

    set(scan_files "")
    set(tier_problems "")
    foreach(target IN LISTS targets)
        if(target IN_LIST windows)
            continue()
        endif()
        _tamberon_window_path(${target} "${windows}" path)
        if(path)
            message(FATAL_ERROR "The core target ${target} must not reach window code: ${path}. "
                                "A library or executable of windows is named in WINDOW_TARGETS "
                                "(CMakeLists.txt); a test of windows is made with "
                                "tamberon_test(... WINDOWS).")
        endif()
        get_target_property(dir ${target} SOURCE_DIR)
        cmake_path(IS_PREFIX CMAKE_SOURCE_DIR "${dir}" NORMALIZE inside)
        file(RELATIVE_PATH rel "${CMAKE_SOURCE_DIR}" "${dir}")
        if(inside AND NOT rel MATCHES "^tests(/|$)")
            _tamberon_core_sources(${target} files)
            list(APPEND scan_files ${files})
            _tamberon_tier_links(${target} "${A_TIERS}" "${A_SIBLINGS}" "${A_ALLOW}" found)
            list(APPEND tier_problems ${found})
        endif()
    endforeach()
    list(REMOVE_DUPLICATES scan_files)
    list(SORT scan_files)
    if(tier_problems)
        tamberon_fail_listing("Core targets break the tiers (engines, model, consumers, fronts): \
a core links only lower tiers and its own room; move the shared piece down a tier, or add the \
pair to the allowlist (CMakeLists.txt) with the reason."
                              "${tier_problems}")
    endif()

    _tamberon_check_listed("${A_LISTED_FOLDERS}")
    _tamberon_window_headers(headers)
    set(list_file "${CMAKE_BINARY_DIR}/layers/scan.cmake")
    string(REPLACE ";" "\n    " files_text "${scan_files}")
    string(REPLACE ";" " " headers_text "${headers}")
    file(CONFIGURE OUTPUT "${list_file}" @ONLY CONTENT
"# Written by cmake/Layers.cmake: what the source scan of the core targets reads.
set(LAYER_SCAN_ROOT \"@CMAKE_SOURCE_DIR@\")
set(LAYER_SCAN_FILES
    @files_text@)
set(LAYER_SCAN_WINDOW_HEADERS @headers_text@)
set(LAYER_SCAN_TIERS \"@A_TIERS@\")
set(LAYER_SCAN_SIBLINGS \"@A_SIBLINGS@\")
set(LAYER_SCAN_ALLOWED \"@A_ALLOW@\")
")
    tamberon_scan_core_sources("${CMAKE_SOURCE_DIR}" "${scan_files}" "${headers}")
    tamberon_scan_tiers("${CMAKE_SOURCE_DIR}" "${scan_files}" "${A_TIERS}" "${A_SIBLINGS}"
                        "${A_ALLOW}")
endfunction()
