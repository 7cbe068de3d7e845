#pragma once

// How the data files of both sides split a line into fields: at runs of
// white space and at "="; empty fields are dropped. The cylinder and valve
// data files, the pocket meshes and the result files all follow it.
namespace formats::textfields {

// ASCII's white space: blank, tab, line feed, vertical tab, form feed,
// carriage return.
constexpr bool isSeparator(char c)
{
    return c == '=' || c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace formats::textfields
