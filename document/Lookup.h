#pragma once

// Element and attribute lookup in the parsed tree: exact, case-sensitive byte names, namespace
// prefix included. Absent names and values read as the empty string.

#include <cstddef>
#include <cstring>
#include <rapidxml/rapidxml.hpp>

namespace Plugin
{

using Node = rapidxml::xml_node<char>;
using Attribute = rapidxml::xml_attribute<char>;

inline const Attribute* FindAttribute(const Node* node, const char* name)
{
    return node->first_attribute(name, std::strlen(name));
}

inline const Node* FindChild(const Node* node, const char* name)
{
    return node->first_node(name, std::strlen(name));
}

inline const Node* NextSibling(const Node* node, const char* name)
{
    return node->next_sibling(name, std::strlen(name));
}

// Whole, case-sensitive comparison of a tree text with an ASCII keyword. The tree's texts are
// UTF-8, in which ASCII bytes stand for themselves and every other byte belongs to a character
// outside ASCII, so comparing the bytes gives what comparing the converted text would.
inline bool TextIs(const char* text, const char* keyword)
{
    return std::strcmp(text != nullptr ? text : "", keyword) == 0;
}

// A name never holds a zero byte, so its size says where it ends.
inline bool NameIs(const Node* node, const char* keyword)
{
    const std::size_t length = std::strlen(keyword);
    return node->name_size() == length && std::memcmp(node->name(), keyword, length) == 0;
}

inline bool ValueIs(const Attribute* attribute, const char* keyword)
{
    return attribute != nullptr && TextIs(attribute->value(), keyword);
}

} // namespace Plugin
