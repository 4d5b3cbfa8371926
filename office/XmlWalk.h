#pragma once

#include <pugixml.hpp>

/** Helpers for walking OOXML trees without recursion (hostile files may nest deeply). */

/** Calls visit(node) for every descendant of root in document order; visit returns whether
 * to go into the node's children. */
template <class Visit> void WalkXml(pugi::xml_node root, Visit visit) {
    pugi::xml_node cur = root.first_child();
    while (cur) {
        if (visit(cur) && cur.first_child()) {
            cur = cur.first_child();
            continue;
        }
        while (cur != root && !cur.next_sibling())
            cur = cur.parent();
        if (cur == root)
            break;
        cur = cur.next_sibling();
    }
}

/** The node after `node` in document order, not entering node's children; null at the end. */
inline pugi::xml_node NextSkippingChildren(pugi::xml_node node) {
    while (node && !node.next_sibling())
        node = node.parent();
    return node ? node.next_sibling() : pugi::xml_node();
}

/** The node after `node` in document order, entering its children first. */
inline pugi::xml_node NextInOrder(pugi::xml_node node) {
    if (node.first_child())
        return node.first_child();
    return NextSkippingChildren(node);
}

inline bool IsNamed(pugi::xml_node node, const char* name) {
    const char* n = node.name();
    while (*n && *name && *n == *name) {
        ++n;
        ++name;
    }
    return *n == 0 && *name == 0;
}
