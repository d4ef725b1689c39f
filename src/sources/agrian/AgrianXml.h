#pragma once

#include <QString>
#include <optional>
#include <pugixml.hpp>

namespace zelvaro {

// The value of an element of an Agrian document: its text, empty when the
// element is missing or empty; nothing when it holds anything but a single
// piece of text (such an element cannot be read).
inline std::optional<QString> agrianElementText(const pugi::xml_node& element)
{
    if (!element) return QString();
    const pugi::xml_node first = element.first_child();
    if (!first) return QString();
    if (first.next_sibling() ||
        (first.type() != pugi::node_pcdata && first.type() != pugi::node_cdata))
        return std::nullopt;
    return QString::fromUtf8(first.value());
}

} // namespace zelvaro
